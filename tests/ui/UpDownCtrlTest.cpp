#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "DialogTestSupport.h"
#include "ui/CUpDownCtrl.h"

using tonalbox::ui::CUpDownCtrl;

namespace {

// Made first, so that the application exists before the widgets.
struct AppFirst {
    AppFirst() { tonalbox::dialog_tests::EnsureApp(); }
};

struct UpDownFixture : ::testing::Test, AppFirst {
    void SetUp() override {
        upDown.SetBuddy(&edit);
        upDown.SetRange(0, 9);
        upDown.SetPos(5);
    }
    QToolButton* Button(const char* name) { return upDown.findChild<QToolButton*>(name); }
    QLineEdit edit;
    CUpDownCtrl upDown;
};

}  // namespace

TEST_F(UpDownFixture, SetPosWritesTheBuddyAndStaysInRange) {
    EXPECT_EQ(edit.text(), "5");
    upDown.SetPos(12);
    EXPECT_EQ(upDown.Pos(), 9);
    EXPECT_EQ(edit.text(), "9");
    upDown.SetPos(-3);
    EXPECT_EQ(edit.text(), "0");
}

TEST_F(UpDownFixture, ArrowsStepFromTheBuddysNumber) {
    ASSERT_NE(Button("up"), nullptr);
    ASSERT_NE(Button("down"), nullptr);
    edit.setText("7");  // typed by the user
    QTest::mouseClick(Button("up"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), "8");
    QTest::mouseClick(Button("up"), Qt::LeftButton);
    QTest::mouseClick(Button("up"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), "9");  // held at the top
    edit.setText("x");            // not a number: steps from the last position
    QTest::mouseClick(Button("down"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), "8");
    edit.setText("42");  // beyond the range: held within it first
    QTest::mouseClick(Button("down"), Qt::LeftButton);
    EXPECT_EQ(edit.text(), "8");
}

TEST_F(UpDownFixture, ArrowKeysInTheBuddyStepOnlyWhileEnabled) {
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "6");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.text(), "4");
    upDown.setEnabled(false);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.text(), "4");
    EXPECT_FALSE(Button("up")->isEnabled());
}
