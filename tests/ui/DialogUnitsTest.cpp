#include "ui/DialogUnits.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "tests/controls/QtTestSupport.h"

namespace tonalbox::ui {
namespace {

TEST(DialogUnits, ConvertsWithQuarterAndEighthUnitsRounded) {
    const QSize base(6, 13);
    EXPECT_EQ(HorzUnitsToPixels(24, base), 36);
    EXPECT_EQ(VertUnitsToPixels(19, base), 31);   // 30.875
    EXPECT_EQ(VertUnitsToPixels(4, base), 7);     // 6.5 rounds up
    EXPECT_EQ(HorzUnitsToPixels(-2, base), -3);   // halves away from zero
    // Neighbours share their edge: 7..89 then 89.. in units.
    const QRect a = DialogUnitsToPixels(QRect(7, 6, 82, 220), QSize(7, 15));
    const QRect b = DialogUnitsToPixels(QRect(89, 6, 10, 10), QSize(7, 15));
    EXPECT_EQ(a.x() + a.width(), b.x());
    EXPECT_EQ(DialogUnitsToPixels(QSize(379, 233), base), QSize(569, 379));
}

TEST(DialogUnits, ParsesOnlyWellFormedGeometry) {
    QRect r;
    EXPECT_TRUE(ParseDialogRect(" 24, 19,47 ,20", &r));
    EXPECT_EQ(r, QRect(24, 19, 47, 20));
    EXPECT_FALSE(ParseDialogRect("24,19,47", &r));
    EXPECT_FALSE(ParseDialogRect("24,19,47,x", &r));
    EXPECT_FALSE(ParseDialogRect("1,2,-3,4", &r));
    EXPECT_FALSE(ParseDialogRect("", &r));
    QSize s;
    EXPECT_TRUE(ParseDialogSize("379,233", &s));
    EXPECT_EQ(s, QSize(379, 233));
    EXPECT_FALSE(ParseDialogSize("379", &s));
}

TEST(DialogUnits, BaseUnitsFollowTheFont) {
    testing::TestApp();
    QFont small = QApplication::font();
    small.setPointSize(8);
    QFont big = small;
    big.setPointSize(16);
    const QSize a = DialogBaseUnits(small);
    const QSize b = DialogBaseUnits(big);
    EXPECT_GT(b.width(), a.width());
    EXPECT_GT(b.height(), a.height());
    EXPECT_EQ(a.height(), QFontMetrics(small).height());
}

TEST(DialogUnits, TemplateIsLaidOutFromItsFontAndTextsFit) {
    testing::TestApp();
    for (int points : {7, 9, 12}) {
        QWidget form;
        QFont f = QApplication::font();
        f.setPointSize(points);
        form.setFont(f);
        form.setProperty("dluSize", QStringLiteral("262,179"));
        auto* frame = new QGroupBox(QStringLiteral("Output Folder:"), &form);
        auto* button = new QPushButton(QStringLiteral("&Add MIDI Files"), &form);
        button->setObjectName(ControlName(1010));
        button->setProperty("dlu", QStringLiteral("169,14,72,19"));
        // The frame comes after the button, as in a template table.
        frame->setProperty("dlu", QStringLiteral("160,5,90,40"));
        auto* combo = new QComboBox(&form);
        combo->setProperty("dlu", QStringLiteral("13,96,70,39"));
        auto* loose = new QLabel(QStringLiteral("no place"), &form);
        loose->setGeometry(1, 2, 3, 4);
        auto* badPlace = new QLabel(QStringLiteral("bad"), &form);
        badPlace->setProperty("dlu", QStringLiteral("1,2"));
        badPlace->setGeometry(5, 6, 7, 8);

        const QSize base = ApplyDialogTemplate(&form);
        EXPECT_EQ(base, DialogBaseUnits(f));
        EXPECT_EQ(form.size(), DialogUnitsToPixels(QSize(262, 179), base));
        EXPECT_EQ(button->geometry(), DialogUnitsToPixels(QRect(169, 14, 72, 19), base));
        EXPECT_GE(button->width(), QFontMetrics(f).horizontalAdvance(QStringLiteral("Add MIDI Files")))
            << points << "pt";
        // The closed drop-down list keeps its natural height.
        EXPECT_EQ(combo->height(), combo->sizeHint().height());
        EXPECT_EQ(combo->x(), HorzUnitsToPixels(13, base));
        // Controls without a usable place keep theirs.
        EXPECT_EQ(loose->geometry(), QRect(1, 2, 3, 4));
        EXPECT_EQ(badPlace->geometry(), QRect(5, 6, 7, 8));
        // The frame lies behind the button: a click in the button hits it.
        form.show();
        EXPECT_EQ(form.childAt(button->geometry().center()), button);
    }
}

TEST(DialogUnits, ControlsAreFoundByNumber) {
    testing::TestApp();
    QWidget form;
    auto* b = new QPushButton(&form);
    b->setObjectName(ControlName(1003));
    auto* inner = new QWidget(&form);
    auto* deep = new QLabel(inner);
    deep->setObjectName(QStringLiteral("idc_1070"));
    auto* unnamed = new QLabel(&form);
    unnamed->setObjectName(QStringLiteral("static_total"));
    EXPECT_EQ(ControlId(b), 1003);
    EXPECT_EQ(ControlId(unnamed), -1);
    EXPECT_EQ(ControlId(nullptr), -1);
    EXPECT_EQ(FindControl(&form, 1003), b);
    EXPECT_EQ(Control<QLabel>(&form, 1070), deep);
    EXPECT_EQ(Control<QLabel>(&form, 1003), nullptr);  // wrong kind
    EXPECT_EQ(FindControl(&form, 9999), nullptr);
}

}  // namespace
}  // namespace tonalbox::ui
