// The main window's page flow: buttons per page, the empty-list message,
// Prev/Next, and when the settings file is written.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QUrl>

#include "engine/ProductInfo.h"

#include "engine/SettingsFile.h"
#include "tests/controls/FakeOpener.h"
#include "tests/ui/WizardTestSupport.h"
#include "ui/CConvertingPage.h"
#include "ui/CResultPage.h"

namespace tonalbox::testing {
namespace {

class WizardFlow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WizardTestSetUp(); }
    void SetUp() override {
        UseTwoPorts();
        ASSERT_TRUE(WriteMidi(m_dir.File("song.mid"), 2));
    }

    testsupport::TempDir m_dir;
    ConversionSettings m_settings = ConversionSettings::Defaults();
    std::string SettingsPath() const { return m_dir.File("config/Option.dat"); }
};

TEST_F(WizardFlow, StartsOnTheFileListWithCloseAndNext) {
    ModalAnswerer answerer;
    Wizard w(m_settings, SettingsPath());
    EXPECT_EQ(w.dlg->CurrentPage(), 0);
    EXPECT_EQ(w.dlg->PageCount(), 4);
    EXPECT_EQ(w.VisiblePages(), "0");
    EXPECT_EQ(w.EnabledNav(), "CN");
    EXPECT_EQ(w.dlg->windowTitle(), QStringLiteral("Tonalbox"));
    EXPECT_FALSE(w.dlg->windowIcon().isNull());
    // Every page lies on the page rectangle, inside the (hidden) marker.
    const QRect marker = Ctl<QGroupBox>(w.dlg.get(), 1007)->geometry();
    EXPECT_FALSE(Ctl<QGroupBox>(w.dlg.get(), 1007)->isVisibleTo(w.dlg.get()));
    EXPECT_EQ(w.dlg->PageRect(), marker.adjusted(3, 7, -3, -3));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w.dlg->PageAt(i)->geometry(), w.dlg->PageRect()) << i;
    // The side buttons are always enabled.
    for (int id : {1018, 1015, 1014, 1016}) EXPECT_TRUE(w.Button(id)->isEnabled()) << id;
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardFlow, NextOnAnEmptyListWarnsEveryTimeAndStays) {
    ModalAnswerer answerer;
    Wizard w(m_settings, SettingsPath());
    Press(w.Next());
    Press(w.Next());
    // A list that was filled and cleared is empty again.
    w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
    Press(Ctl<QPushButton>(w.Files(), 1013));
    Press(w.Next());
    ASSERT_EQ(answerer.Seen().size(), 3u);
    for (const SeenBox& box : answerer.Seen()) {
        EXPECT_EQ(box.text, "Please add the MIDI files!");
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        EXPECT_EQ(box.title, QCoreApplication::applicationName().toStdString());
    }
    EXPECT_EQ(w.dlg->CurrentPage(), 0);
    EXPECT_EQ(w.VisiblePages(), "0");
    EXPECT_EQ(w.EnabledNav(), "CN");
}

TEST_F(WizardFlow, NextAndPrevMoveBetweenListAndOutputPage) {
    ModalAnswerer answerer;
    Wizard w(m_settings, SettingsPath());
    w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
    Press(w.Next());
    EXPECT_EQ(w.dlg->CurrentPage(), 1);
    EXPECT_EQ(w.VisiblePages(), "1");
    EXPECT_EQ(w.EnabledNav(), "CPN");
    Press(w.Prev());
    EXPECT_EQ(w.dlg->CurrentPage(), 0);
    EXPECT_EQ(w.VisiblePages(), "0");
    EXPECT_EQ(w.EnabledNav(), "CN");
    // The list is as it was.
    EXPECT_EQ(w.Files()->PathCount(), 1);
    // Buttons that are not valid on a page do nothing when called anyway.
    w.dlg->OnPrev();
    w.dlg->OnRepeat();
    EXPECT_EQ(w.dlg->CurrentPage(), 0);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardFlow, SideButtonsOpenTheirDialogsAndTargetsOnEveryPage) {
    std::vector<std::string> opened;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        if (qobject_cast<QMessageBox*>(modal) || qobject_cast<QFileDialog*>(modal)) return false;
        opened.push_back(modal->metaObject()->className());
        static_cast<QDialog*>(modal)->reject();
        return true;
    });
    FakeOpener opener;
    Wizard w(m_settings, SettingsPath());
    const ConversionSettings before = m_settings;
    Press(w.Button(1015));  // About
    Press(w.Button(1018));  // Option
    Press(w.Button(1016));  // WebSite
    w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
    Press(w.Next());
    Press(w.Button(1015));
    EXPECT_EQ(opened, (std::vector<std::string>{"tonalbox::ui::CAboutDlg", "tonalbox::ui::COptionDlg",
                                                "tonalbox::ui::CAboutDlg"}));
    // The opener runs on its own; the window does not wait for it.
    ASSERT_TRUE(PumpUntil([&] { return !opener.Opened().isEmpty(); }));
    EXPECT_EQ(opener.Opened(), QStringList{QString::fromUtf8(kProductWebAddress)});
    // A cancelled Options dialog leaves the record alone.
    EXPECT_EQ(m_settings.m_mp3.m_nBitrate, before.m_mp3.m_nBitrate);
    EXPECT_EQ(w.dlg->CurrentPage(), 1);
}

TEST_F(WizardFlow, SettingsAreSavedOnCloseButPage1ChangesOnlyWhenLeft) {
    ModalAnswerer answerer;
    m_settings.m_bOverwrite = 1;
    m_settings.m_nOutputFormat = tonalbox::OutputFormat::Mp3;
    {
        Wizard w(m_settings, SettingsPath());
        w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
        Press(w.Next());
        Ctl<QCheckBox>(w.Output(), 1034)->click();           // overwrite off
        Ctl<QComboBox>(w.Output(), 1049)->setCurrentIndex(0);  // WAV
        m_settings.m_tag.m_strAlbum = "Kept";                  // as Set Tag would
        Press(w.Close_());
    }
    ConversionSettings saved = ConversionSettings::Defaults();
    saved.m_bOverwrite = -5;
    ASSERT_EQ(LoadSettings(SettingsPath(), saved), 1);
    EXPECT_EQ(saved.m_bOverwrite, 1);
    EXPECT_EQ(saved.m_nOutputFormat, tonalbox::OutputFormat::Mp3);
    EXPECT_EQ(saved.m_tag.m_strAlbum, "Kept");

    {
        Wizard w(m_settings, SettingsPath());
        w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
        Press(w.Next());
        Ctl<QCheckBox>(w.Output(), 1034)->click();
        Ctl<QComboBox>(w.Output(), 1049)->setCurrentIndex(0);
        Press(w.Prev());
        EXPECT_EQ(m_settings.m_bOverwrite, 0);
        EXPECT_EQ(m_settings.m_nOutputFormat, tonalbox::OutputFormat::Wav);
        // Escape ends the window as Close does.
        w.dlg->reject();
    }
    ASSERT_EQ(LoadSettings(SettingsPath(), saved), 1);
    EXPECT_EQ(saved.m_bOverwrite, 0);
    EXPECT_EQ(saved.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardFlow, OkSavesTooAndDestroyingSavesAgain) {
    ModalAnswerer answerer;
    {
        Wizard w(m_settings, SettingsPath());
        m_settings.m_tag.m_strYear = "1999";
        w.dlg->accept();
        ConversionSettings saved = ConversionSettings::Defaults();
        ASSERT_EQ(LoadSettings(SettingsPath(), saved), 1);
        EXPECT_EQ(saved.m_tag.m_strYear, "1999");
        m_settings.m_tag.m_strYear = "2001";
    }
    ConversionSettings saved = ConversionSettings::Defaults();
    ASSERT_EQ(LoadSettings(SettingsPath(), saved), 1);
    EXPECT_EQ(saved.m_tag.m_strYear, "2001");
}

TEST_F(WizardFlow, SavedSettingsAreRestoredWhenTheWindowOpens) {
    ConversionSettings stored = ConversionSettings::Defaults();
    stored.m_bOverwrite = 0;
    stored.m_nOutputFormat = tonalbox::OutputFormat::Wav;
    stored.m_bUseTempFolder = 0;
    stored.m_bSameAsSource = 1;
    stored.m_strOutputFolder = m_dir.Path() + "/";
    stored.m_nPortIndex = 1;
    stored.m_bBurnToCD = 1;
    stored.m_tag.m_strArtist = "Someone";
    ASSERT_EQ(SaveSettings(SettingsPath(), stored), 1);

    ModalAnswerer answerer;
    Wizard w(m_settings, SettingsPath());
    EXPECT_EQ(m_settings.m_tag.m_strArtist, "Someone");
    EXPECT_EQ(m_settings.m_bBurnToCD, 0);
    ui::COutputPage* out = w.Output();
    EXPECT_EQ(Ctl<QLineEdit>(out, 1035)->text().toStdString(), m_dir.Path() + "/");
    EXPECT_FALSE(Ctl<QCheckBox>(out, 1034)->isChecked());
    EXPECT_TRUE(Ctl<QCheckBox>(out, 1061)->isChecked());
    EXPECT_FALSE(Ctl<QCheckBox>(out, 1062)->isChecked());
    EXPECT_EQ(Ctl<QComboBox>(out, 1049)->currentIndex(), 0);
    EXPECT_EQ(Ctl<QComboBox>(out, 1050)->currentIndex(), 1);
    // "Same as source" disables the folder choice.
    EXPECT_FALSE(Ctl<QPushButton>(out, 1020)->isEnabled());
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardFlow, ASettingsFileThatCannotBeWrittenLeavesNoTraceAndNoMessage) {
    // A regular file where the settings folder would be.
    ASSERT_TRUE(WriteMidi(m_dir.File("blocker"), 1));
    const std::string path = m_dir.File("blocker/Option.dat");
    ModalAnswerer answerer;
    {
        Wizard w(m_settings, path);
        Press(w.Close_());
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardFlow, AWindowNeverOpenedWritesNothing) {
    {
        ui::CTonalboxDlg dlg(m_settings, nullptr, SettingsPath());
    }
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
}

}  // namespace
}  // namespace tonalbox::testing

