#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "engine/GenreNames.h"
#include "engine/TagRecord.h"
#include "ui/CSetTagDlg.h"

using namespace tonalbox;
using namespace tonalbox::dialog_tests;
using tonalbox::ui::CSetTagDlg;

namespace {

enum : int {
    kTitle = 1020, kArtist = 1065, kAlbum = 1021, kYear = 1022, kTrack = 1023,
    kGenre = 1064, kComment = 1024, kSetForAll = 1063, kOk = 1, kCancel = 2
};

TagRecord SampleTag() {
    TagRecord t;
    t.m_strTitle = "Made with Tonalbox tonalbox.org";
    t.m_strArtist = "";
    t.m_strAlbum = "MARLOVEN";
    t.m_strYear = "2006";
    t.m_strComment = "https://tonalbox.org/";
    t.m_nTrack = 4;
    t.m_nGenre = 17;  // "Rock"
    return t;
}

void ExpectSameTag(const TagRecord& a, const TagRecord& b) {
    EXPECT_EQ(a.m_strTitle, b.m_strTitle);
    EXPECT_EQ(a.m_strArtist, b.m_strArtist);
    EXPECT_EQ(a.m_strAlbum, b.m_strAlbum);
    EXPECT_EQ(a.m_strYear, b.m_strYear);
    EXPECT_EQ(a.m_strComment, b.m_strComment);
    EXPECT_EQ(a.m_nTrack, b.m_nTrack);
    EXPECT_EQ(a.m_nGenre, b.m_nGenre);
}

class SetTagDlgTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApp(); }

    QLineEdit* Edit(CSetTagDlg& d, int id) { return Control<QLineEdit>(&d, id); }
    QComboBox* Genre(CSetTagDlg& d) { return Control<QComboBox>(&d, kGenre); }
    void Click(CSetTagDlg& d, int id) { Control<QPushButton>(&d, id)->click(); }
};

}  // namespace

TEST_F(SetTagDlgTest, ShowsTheTagWithTheGenreSelectedAndFocusOnTheGenreList) {
    TagRecord tag = SampleTag();
    tag.m_strArtist = "Someone";
    CSetTagDlg dlg(tag);
    EXPECT_EQ(dlg.windowTitle(), "Set Tag Infomation");
    EXPECT_EQ(Edit(dlg, kTitle)->text(), "Made with Tonalbox tonalbox.org");
    EXPECT_EQ(Edit(dlg, kArtist)->text(), "Someone");
    EXPECT_EQ(Edit(dlg, kAlbum)->text(), "MARLOVEN");
    EXPECT_EQ(Edit(dlg, kYear)->text(), "2006");
    EXPECT_EQ(Edit(dlg, kTrack)->text(), "4");
    EXPECT_EQ(Edit(dlg, kComment)->text(), "https://tonalbox.org/");
    ASSERT_EQ(Genre(dlg)->count(), kGenreCount);
    for (int i = 0; i < kGenreCount; ++i) EXPECT_EQ(Genre(dlg)->itemText(i), GenreNames[i]);
    EXPECT_EQ(Genre(dlg)->currentIndex(), 17);
    EXPECT_EQ(Genre(dlg)->currentText(), "Rock");
    EXPECT_EQ(dlg.focusWidget(), Genre(dlg));
}

TEST_F(SetTagDlgTest, OkWithoutChangesLeavesTheTagAsItWas) {
    const TagRecord before = SampleTag();
    TagRecord tag = before;
    CSetTagDlg dlg(tag);
    dlg.show();
    Click(dlg, kOk);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
    ExpectSameTag(tag, before);
}

TEST_F(SetTagDlgTest, OkStoresEveryField) {
    TagRecord tag = SampleTag();
    CSetTagDlg dlg(tag);
    dlg.show();
    Edit(dlg, kTitle)->setText("Night Song");
    Edit(dlg, kArtist)->setText("The Band");
    Edit(dlg, kAlbum)->setText("Nocturnes");
    Edit(dlg, kYear)->setText("1999");
    Edit(dlg, kTrack)->setText(" 12 ");
    Edit(dlg, kComment)->setText("remaster");
    Genre(dlg)->setCurrentIndex(147);
    // The Enter key is OK: OK is the default button.
    QTest::keyClick(Edit(dlg, kComment), Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(tag.m_strTitle, "Night Song");
    EXPECT_EQ(tag.m_strArtist, "The Band");
    EXPECT_EQ(tag.m_strAlbum, "Nocturnes");
    EXPECT_EQ(tag.m_strYear, "1999");
    EXPECT_EQ(tag.m_nTrack, 12);
    EXPECT_EQ(tag.m_strComment, "remaster");
    EXPECT_EQ(tag.m_nGenre, 147);
}

TEST_F(SetTagDlgTest, CancelEscapeAndCloseBoxChangeNothing) {
    const TagRecord before = SampleTag();
    for (int way = 0; way < 3; ++way) {
        TagRecord tag = before;
        CSetTagDlg dlg(tag);
        dlg.show();
        Edit(dlg, kTitle)->setText("changed");
        Edit(dlg, kArtist)->setText("changed");
        Edit(dlg, kTrack)->setText("99");
        Genre(dlg)->setCurrentIndex(3);
        if (way == 0) Click(dlg, kCancel);
        if (way == 1) QTest::keyClick(Edit(dlg, kTitle), Qt::Key_Escape);
        if (way == 2) dlg.close();
        EXPECT_EQ(dlg.result(), QDialog::Rejected) << way;
        EXPECT_FALSE(dlg.isVisible()) << way;
        ExpectSameTag(tag, before);
    }
}

TEST_F(SetTagDlgTest, LongTitleIsKeptWhole) {
    TagRecord tag = SampleTag();
    const std::string title35 = "A title of exactly thirty-five byte";
    ASSERT_EQ(title35.size(), 35u);
    CSetTagDlg dlg(tag);
    dlg.show();
    Edit(dlg, kTitle)->setText(QString::fromStdString(title35));
    Click(dlg, kOk);
    EXPECT_EQ(tag.m_strTitle, title35);
}

TEST_F(SetTagDlgTest, TrackThatIsNotAnIntegerIsRefusedWithFocusOnTrack) {
    const TagRecord before = SampleTag();
    for (const char* bad : {"", "  ", "abc", "12abc", "1 2", "4.0"}) {
        TagRecord tag = before;
        CSetTagDlg dlg(tag);
        dlg.show();
        Edit(dlg, kTitle)->setText("edited before the refusal");
        Edit(dlg, kTrack)->setText(QString::fromLatin1(bad));
        ModalAnswerer answerer;
        Click(dlg, kOk);
        ASSERT_EQ(answerer.Texts(), std::vector<std::string>{"Please enter an integer."}) << bad;
        EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Warning);
        EXPECT_EQ(answerer.Seen()[0].title, QCoreApplication::applicationName().toStdString());
        EXPECT_TRUE(dlg.isVisible()) << bad;
        EXPECT_EQ(dlg.focusWidget(), Edit(dlg, kTrack)) << bad;
        ExpectSameTag(tag, before);
        // Mended, OK goes through.
        Edit(dlg, kTrack)->setText("7");
        Click(dlg, kOk);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(tag.m_nTrack, 7);
        EXPECT_EQ(tag.m_strTitle, "edited before the refusal");
    }
}

TEST_F(SetTagDlgTest, TrackOutsideAByteIsAcceptedAsTyped) {
    TagRecord tag = SampleTag();
    CSetTagDlg dlg(tag);
    dlg.show();
    Edit(dlg, kTrack)->setText("300");
    Click(dlg, kOk);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(tag.m_nTrack, 300);  // the tag writer keeps the low 8 bits
}

TEST_F(SetTagDlgTest, GenreOutsideTheListShowsNoSelectionAndOkStoresMinusOne) {
    for (int stored : {148, 255, -1, -20}) {
        TagRecord tag = SampleTag();
        tag.m_nGenre = stored;
        CSetTagDlg dlg(tag);
        EXPECT_EQ(Genre(dlg)->currentIndex(), -1) << stored;
        dlg.show();
        Click(dlg, kOk);
        EXPECT_EQ(tag.m_nGenre, -1) << stored;
    }
    TagRecord tag = SampleTag();
    tag.m_nGenre = 147;
    CSetTagDlg dlg(tag);
    EXPECT_EQ(Genre(dlg)->currentText(), "Synthpop");
}

TEST_F(SetTagDlgTest, HiddenCheckBoxIsSkippedAndTabFollowsTheTemplateOrder) {
    TagRecord tag = SampleTag();
    CSetTagDlg dlg(tag);
    dlg.show();
    auto* check = Control<QCheckBox>(&dlg, kSetForAll);
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(check->isVisible());
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(check->text(), "Set for all files in the filelist.");

    const int order[] = {kGenre, kArtist, kOk, kCancel, kAlbum, kYear, kTitle, kTrack, kComment, kGenre};
    QWidget* w = Genre(dlg);
    for (std::size_t i = 1; i < std::size(order); ++i) {
        w = NextTabStop(w);
        EXPECT_EQ(w->objectName(), QStringLiteral("idc_%1").arg(order[i])) << i;
    }
    Click(dlg, kOk);
    EXPECT_EQ(dlg.SetForAllFlag(), 0);
}

TEST_F(SetTagDlgTest, EveryTextFitsItsControl) {
    TagRecord tag = SampleTag();
    CSetTagDlg dlg(tag);
    ExpectTextsFit(&dlg);
}
