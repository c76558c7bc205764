#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include "engine/ProductInfo.h"
#include "ui/CAboutDlg.h"
#include "ui/controls/CHyperlinkLabel.h"
#include "tests/controls/QtTestSupport.h"
#include "ui/DialogUnits.h"

using tonalbox::CHyperlinkLabel;
using tonalbox::ui::CAboutDlg;
using tonalbox::ui::Control;

namespace {

class AboutDlgTest : public ::testing::Test {
protected:
    void SetUp() override { tonalbox::testing::TestApp(); }
};

// Asks the control for its tooltip as the pointer resting over `pos` would.
QString TooltipAt(QWidget* w, QPoint pos) {
    QToolTip::hideText();
    QHelpEvent e(QEvent::ToolTip, pos, w->mapToGlobal(pos));
    QApplication::sendEvent(w, &e);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

TEST_F(AboutDlgTest, ShowsTheVersionWithAColon) {
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "About Tonalbox");
    auto* version = Control<QLabel>(&dlg, 1059);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "Tonalbox Version: 2.3");
    EXPECT_EQ(dlg.VersionText(), "Tonalbox Version: 2.3");
    EXPECT_EQ(version->textFormat(), Qt::PlainText);
}

TEST_F(AboutDlgTest, MailLinkShowsTheAddressAndTargetsItsMailtoForm) {
    CAboutDlg dlg;
    CHyperlinkLabel* mail = Control<CHyperlinkLabel>(&dlg, 1017);
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(mail, dlg.MailLink());
    EXPECT_TRUE(mail->IsAttached());
    EXPECT_EQ(mail->text().toStdString(), std::string("Support: ") + tonalbox::kSupportMailAddress);
    EXPECT_EQ(mail->LinkTarget(), std::string("mailto:") + tonalbox::kSupportMailAddress);
    EXPECT_EQ(mail->ToolText().toStdString(), mail->LinkTarget());
    EXPECT_FALSE(mail->IsVisited());
}

TEST_F(AboutDlgTest, WebLinkShowsAndTargetsTheProductAddress) {
    CAboutDlg dlg;
    CHyperlinkLabel* web = Control<CHyperlinkLabel>(&dlg, 1020);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web, dlg.WebLink());
    EXPECT_TRUE(web->IsAttached());
    EXPECT_EQ(web->text().toStdString(), tonalbox::kProductWebAddress);
    EXPECT_EQ(web->LinkTarget(), tonalbox::kProductWebAddress);
    EXPECT_EQ(web->ToolText().toStdString(), tonalbox::kProductWebAddress);
}

TEST_F(AboutDlgTest, HoveringShowsEachLinksTargetAsTooltip) {
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    CHyperlinkLabel* mail = dlg.MailLink();
    CHyperlinkLabel* web = dlg.WebLink();
    EXPECT_EQ(TooltipAt(mail, mail->ToolRect().center()).toStdString(),
              std::string("mailto:") + tonalbox::kSupportMailAddress);
    EXPECT_EQ(TooltipAt(web, web->ToolRect().center()).toStdString(), tonalbox::kProductWebAddress);
    QToolTip::hideText();
}

TEST_F(AboutDlgTest, IconNoticeAndOkWhichHasTheFocusAndCloses) {
    CAboutDlg dlg;
    auto* icon = dlg.findChild<QLabel*>("icon_128");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    auto* notice = dlg.findChild<QLabel*>("static_copyright");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->text().startsWith("Copyright"));

    dlg.show();
    auto* ok = Control<QPushButton>(&dlg, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(dlg.focusWidget(), ok);
    ok->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());

    CAboutDlg again;
    again.show();
    QTest::keyClick(&again, Qt::Key_Escape);
    EXPECT_FALSE(again.isVisible());
}

TEST_F(AboutDlgTest, EveryTextFitsItsControl) {
    CAboutDlg dlg;
    for (QLabel* label : dlg.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << label->objectName().toStdString();
        EXPECT_LE(label->geometry().right(), dlg.width()) << label->objectName().toStdString();
    }
}
