#include <gtest/gtest.h>

#include <QComboBox>
#include <QString>

#include "DialogTestSupport.h"
#include "ui/DialogDataExchange.h"

using tonalbox::ui::ParseDialogInteger;

TEST(DialogDataExchangeTest, IntegerAllowsSignAndBlanksAround) {
    EXPECT_EQ(ParseDialogInteger("300"), 300);
    EXPECT_EQ(ParseDialogInteger("+12"), 12);
    EXPECT_EQ(ParseDialogInteger(" \t-7\t "), -7);
    EXPECT_EQ(ParseDialogInteger("007"), 7);
    EXPECT_EQ(ParseDialogInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDialogInteger("-2147483648"), -2147483647 - 1);
}

TEST(DialogDataExchangeTest, IntegerRefusesEverythingElse) {
    for (const char* bad : {"", " ", "\t", "+", "-", "- 5", "1 2", "12abc", "abc", "1.5", "1e3",
                            "0x10", "2147483648", "-2147483649", "99999999999999999999"}) {
        EXPECT_FALSE(ParseDialogInteger(QString::fromLatin1(bad)).has_value()) << bad;
    }
    EXPECT_FALSE(ParseDialogInteger(QString::fromUtf8("\xD9\xA3")).has_value());  // Arabic-Indic 3
    EXPECT_FALSE(ParseDialogInteger(QString::fromUtf8("\xC2\xA0" "5")).has_value());  // no-break space
}

TEST(DialogDataExchangeTest, PositionOutsideTheListLeavesNoSelection) {
    tonalbox::dialog_tests::EnsureApp();
    QComboBox list;
    list.addItems({"a", "b", "c"});
    tonalbox::ui::SelectListPosition(&list, 2);
    EXPECT_EQ(list.currentIndex(), 2);
    tonalbox::ui::SelectListPosition(&list, 3);
    EXPECT_EQ(list.currentIndex(), -1);
    tonalbox::ui::SelectListPosition(&list, 0);
    tonalbox::ui::SelectListPosition(&list, -5);
    EXPECT_EQ(list.currentIndex(), -1);
}
