// Runs through the wizard with the real engine: conversion, result page,
// Prev and Next for a second run, Repeat, Cancel, and closing mid-run.
#include <gtest/gtest.h>

#include <QProgressBar>

#include <atomic>
#include <fstream>
#include <thread>

#include "audioprobe/Mp3Probe.h"
#include "engine/SettingsFile.h"
#include "ui/WizardMessages.h"
#include "ui/controls/CHyperlinkLabel.h"
#include "tests/ui/WizardTestSupport.h"
#include "ui/CConvertingPage.h"
#include "ui/CPathList.h"
#include "ui/CResultPage.h"

namespace tonalbox::testing {
namespace {

namespace fs = std::filesystem;

class WizardRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WizardTestSetUp(); }
    void SetUp() override {
        UseTwoPorts();
        fs::create_directories(m_dir.File("in"));
        fs::create_directories(m_dir.File("out"));
        ASSERT_TRUE(WriteMidi(m_dir.File("in/first.mid"), 3, 60));
        ASSERT_TRUE(WriteMidi(m_dir.File("in/second.mid"), 4, 67));
        m_settings.m_bUseTempFolder = 0;
        m_settings.m_nOutputFormat = tonalbox::OutputFormat::Mp3;
        m_settings.m_bOverwrite = 1;
    }

    QString In(const char* name) const { return QString::fromStdString(m_dir.File(std::string("in/") + name)); }
    std::string Out(const char* name) const { return m_dir.File(std::string("out/") + name); }

    // Waits for the result page.
    // Puts the files on the list and starts a run: Next, Next.
    static void StartRun(Wizard& w, const QStringList& files) {
        w.Files()->AppendFiles(files);
        Press(w.Next());
        Press(w.Next());
    }

    static bool WaitForResult(Wizard& w, int timeoutMs = 120000) {
        return PumpUntil([&] { return w.dlg->CurrentPage() == ui::CTonalboxDlg::kResultPage; }, timeoutMs);
    }

    testsupport::TempDir m_dir;
    ConversionSettings m_settings = ConversionSettings::Defaults();
};

TEST_F(WizardRun, ConvertsTwoFilesAndShowsTheCountsAndTheFolder) {
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        return AnswerFileDialog(modal, QString::fromStdString(m_dir.Path()), QStringLiteral("out"));
    });
    Wizard w(m_settings, m_dir.File("Option.dat"));
    w.Files()->AppendFiles({In("first.mid"), In("second.mid")});
    Press(w.Next());
    ASSERT_EQ(w.dlg->CurrentPage(), 1);
    ui::COutputPage* out = w.Output();
    Press(Ctl<QPushButton>(out, 1020));  // Browse -> .../out
    EXPECT_EQ(Ctl<QLineEdit>(out, 1035)->text().toStdString(), m_dir.File("out/"));

    Press(w.Next());
    EXPECT_EQ(w.dlg->CurrentPage(), 2);
    EXPECT_EQ(w.EnabledNav(), "");
    EXPECT_EQ(w.VisiblePages(), "2");
    // The side buttons stay usable during the run.
    EXPECT_TRUE(w.Button(1018)->isEnabled());
    ASSERT_TRUE(WaitForResult(w));

    EXPECT_EQ(w.VisiblePages(), "3");
    EXPECT_EQ(w.EnabledNav(), "CPR");
    ui::CResultPage* result = w.dlg->ResultPage();
    EXPECT_EQ(Ctl<QLabel>(result, 1068)->text(), QStringLiteral("2"));
    EXPECT_EQ(Ctl<QLabel>(result, 1069)->text(), QStringLiteral("2"));
    EXPECT_EQ(result->FolderLink()->text().toStdString(), m_dir.File("out/"));
    EXPECT_EQ(result->FolderLink()->LinkTarget(), m_dir.File("out/"));
    EXPECT_GT(fs::file_size(Out("first.mp3")), 128u);
    EXPECT_GT(fs::file_size(Out("second.mp3")), 128u);
    EXPECT_EQ(m_settings.m_strOutputFolder, m_dir.File("out/"));
    // The converting page's bar went back to 0 when it was left.
    EXPECT_EQ(Ctl<QProgressBar>(w.dlg->ConvertingPage(), 1062)->value(), 0);
    // The last file's counter and its percentage stay on the page.
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ConvertingPage(), 1066)->text(), QStringLiteral("2/2"));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ConvertingPage(), 1067)->text(), QStringLiteral("second.mid..."));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ConvertingPage(), 1071)->text(), QStringLiteral("100%"));

    // Prev skips the converting page; the list is unchanged; Next runs
    // again, now as WAV into the same folder.
    Press(w.Prev());
    EXPECT_EQ(w.dlg->CurrentPage(), 1);
    EXPECT_EQ(w.Files()->PathCount(), 2);
    Ctl<QComboBox>(out, 1049)->setCurrentIndex(0);
    Press(w.Next());
    ASSERT_TRUE(WaitForResult(w));
    EXPECT_EQ(Ctl<QLabel>(result, 1069)->text(), QStringLiteral("2"));
    EXPECT_TRUE(fs::exists(Out("first.wav")));
    EXPECT_TRUE(fs::exists(Out("second.wav")));

    // Repeat: an empty list, everything else as it was.
    const TagRecord tag = m_settings.m_tag;
    Press(w.Repeat());
    EXPECT_EQ(w.dlg->CurrentPage(), 0);
    EXPECT_EQ(w.VisiblePages(), "0");
    EXPECT_EQ(w.EnabledNav(), "CN");
    EXPECT_EQ(w.Files()->PathCount(), 0);
    EXPECT_EQ(w.Files()->NameList()->count(), 0);
    EXPECT_EQ(m_settings.m_tag.m_strTitle, tag.m_strTitle);
    EXPECT_EQ(m_settings.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_EQ(Ctl<QLineEdit>(out, 1035)->text().toStdString(), m_dir.File("out/"));
    EXPECT_TRUE(answerer.Texts().empty()) << answerer.Texts().front();
}

TEST_F(WizardRun, SameAsSourceShowsTheFirstFilesFolderWithoutSeparator) {
    ModalAnswerer answerer;
    m_settings.m_bSameAsSource = 1;
    m_settings.m_nOutputFormat = tonalbox::OutputFormat::Wav;
    fs::create_directories(m_dir.File("other"));
    ASSERT_TRUE(WriteMidi(m_dir.File("other/third.mid"), 2));
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("first.mid"), QString::fromStdString(m_dir.File("other/third.mid"))});
    ASSERT_TRUE(WaitForResult(w));
    EXPECT_EQ(w.dlg->ResultPage()->FolderLink()->text().toStdString(), m_dir.File("in"));
    EXPECT_TRUE(fs::exists(m_dir.File("in/first.wav")));
    EXPECT_TRUE(fs::exists(m_dir.File("other/third.wav")));
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardRun, CancelDuringTheFirstFileConvertsNothing) {
    ModalAnswerer answerer;
    ASSERT_TRUE(WriteMidi(m_dir.File("in/long.mid"), 2400));  // 20 minutes
    m_settings.m_strOutputFolder = m_dir.File("out/");
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("long.mid"), In("first.mid")});
    ui::CConvertingPage* page = w.dlg->ConvertingPage();
    QPushButton* cancel = Ctl<QPushButton>(page, 1020);
    ASSERT_TRUE(PumpUntil([&] { return Ctl<QLabel>(page, 1066)->text() == QStringLiteral("1/2"); }));
    Press(cancel);
    Press(cancel);  // harmless
    ASSERT_TRUE(WaitForResult(w, 60000));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ResultPage(), 1068)->text(), QStringLiteral("2"));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ResultPage(), 1069)->text(), QStringLiteral("0"));
    EXPECT_FALSE(fs::exists(Out("long.mp3")));
    EXPECT_FALSE(fs::exists(Out("first.mp3")));

    // A new run starts with the flag and the counter at 0 again.
    Press(w.Prev());
    w.Files()->EmptyLists();
    Press(w.Prev());
    StartRun(w, {In("first.mid")});
    EXPECT_EQ(page->CancelFlag().load(), 0);
    ASSERT_TRUE(WaitForResult(w));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ResultPage(), 1069)->text(), QStringLiteral("1"));
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardRun, ClosingDuringARunStopsItAndWaitsForTheWorker) {
    ModalAnswerer answerer;
    ASSERT_TRUE(WriteMidi(m_dir.File("in/long.mid"), 2400));
    m_settings.m_strOutputFolder = m_dir.File("out/");
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("long.mid")});
    ui::CConvertingPage* page = w.dlg->ConvertingPage();
    ASSERT_TRUE(PumpUntil([&] { return Ctl<QLabel>(page, 1066)->text() == QStringLiteral("1/1"); }));
    ASSERT_TRUE(page->IsRunning());
    // Title-bar close / Escape: the window ends with the run stopped.
    w.dlg->reject();
    EXPECT_FALSE(page->IsRunning());
    EXPECT_EQ(page->CancelFlag().load(), 1);
    EXPECT_FALSE(fs::exists(Out("long.mp3")));
    w.dlg.reset();
    // The settings were written as the window went.
    EXPECT_TRUE(fs::exists(m_dir.File("Option.dat")));
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardRun, TheRunAsksBeforeReplacingAndReportsMissingFiles) {
    m_settings.m_bOverwrite = 0;
    m_settings.m_nOutputFormat = tonalbox::OutputFormat::Wav;
    m_settings.m_strOutputFolder = m_dir.File("out/");
    ASSERT_TRUE(WriteMidi(Out("first.wav"), 1));  // something already there
    const auto before = fs::file_size(Out("first.wav"));
    ModalAnswerer answerer(QMessageBox::No);
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("first.mid"), In("gone.mid"), In("second.mid")});
    ASSERT_TRUE(WaitForResult(w));
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[0].text, "the file: " + Out("first.wav") + " have exist. writeover it? ");
    EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Question);
    EXPECT_EQ(answerer.Seen()[1].text, "Can not find file: " + In("gone.mid").toStdString() + ".");
    EXPECT_EQ(answerer.Seen()[1].icon, QMessageBox::Warning);
    EXPECT_EQ(fs::file_size(Out("first.wav")), before);
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ResultPage(), 1068)->text(), QStringLiteral("3"));
    EXPECT_EQ(Ctl<QLabel>(w.dlg->ResultPage(), 1069)->text(), QStringLiteral("1"));
}

TEST_F(WizardRun, OptionsAndTagChangedDuringARunApplyToTheNextRun) {
    ModalAnswerer answerer;
    m_settings.m_strOutputFolder = m_dir.File("out/");
    m_settings.m_mp3.m_nChannelMode = 1;  // joint stereo
    m_settings.m_mp3.m_nInSampleRate = 0;
    m_settings.m_mp3.m_nInChannels = 0;
    m_settings.m_tag.m_strTitle = "Before";
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("second.mid")});
    ui::CConvertingPage* page = w.dlg->ConvertingPage();
    // The worker has reached the file and waits for its next call to be
    // carried out here: whatever changes now, it has not encoded yet.
    ASSERT_TRUE(PumpUntil([&] { return Ctl<QLabel>(page, 1066)->text() == QStringLiteral("1/1"); }));
    m_settings.m_mp3.m_nChannelMode = 3;  // mono, as Options' OK stores it
    m_settings.m_tag.m_strTitle = "After";
    ASSERT_TRUE(WaitForResult(w));
    page->WaitForRun();

    const audioprobe::Mp3Facts facts = audioprobe::Mp3Probe::Read(Out("second.mp3"));
    ASSERT_TRUE(facts.decoded);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_NEAR(static_cast<double>(facts.samples) / facts.sampleRate, 3.0, 1.0);  // 4 notes + tail
    std::ifstream mp3(Out("second.mp3"), std::ios::binary);
    mp3.seekg(-128, std::ios::end);
    char tag[9] = {};
    mp3.read(tag, 9);
    EXPECT_EQ(std::string(tag, 9), "TAGBefore");
    // The changes stay for the next run; what the run measured came back.
    EXPECT_EQ(m_settings.m_mp3.m_nChannelMode, 3);
    EXPECT_EQ(m_settings.m_tag.m_strTitle, "After");
    EXPECT_EQ(m_settings.m_mp3.m_nInSampleRate, 22050);
    EXPECT_EQ(m_settings.m_mp3.m_nInChannels, 2);
    EXPECT_TRUE(answerer.Texts().empty());
}

// Hands WM_CONVERT_DONE to the window, then runs `after` while the worker
// still waits inside its last call.
class AfterRunEnd : public QObject {
public:
    AfterRunEnd(QWidget* window, std::function<void()> after) : m_after(std::move(after)) {
        window->installEventFilter(this);
    }
    int ends = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != ui::WM_CONVERT_DONE) return false;
        ++ends;
        static_cast<QObject*>(watched)->event(e);
        if (ends == 1 && m_after) m_after();
        return true;
    }

private:
    std::function<void()> m_after;
};

// Counts the runs the converting page starts: each shows the page again.
class RunStarts : public QObject {
public:
    explicit RunStarts(QWidget* page) { page->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::ShowToParent) ++count;
        return false;
    }
};

TEST_F(WizardRun, DoubleNextWhileTheLastWorkerEndsStartsOneRun) {
    ModalAnswerer answerer;
    m_settings.m_strOutputFolder = m_dir.File("out/");
    Wizard w(m_settings, m_dir.File("Option.dat"));
    w.Files()->AppendFiles({In("first.mid")});
    RunStarts starts(w.dlg->ConvertingPage());
    // As the first run ends: back to the output page, and Next clicked
    // twice before the worker has shut its engine down.
    int clicksHandled = 0;
    AfterRunEnd filter(w.dlg.get(), [&] {
        w.dlg->OnPrev();
        for (int i = 0; i < 2; ++i) {
            QMetaObject::invokeMethod(
                w.dlg.get(), [&] { w.Next()->click(); ++clicksHandled; }, Qt::QueuedConnection);
        }
    });
    Press(w.Next());
    Press(w.Next());
    // A click starts its run before it returns: once both are handled,
    // every run there will be has started.
    ASSERT_TRUE(PumpUntil([&] { return clicksHandled == 2; }, 120000));
    EXPECT_EQ(starts.count, 2);
    ASSERT_TRUE(PumpUntil([&] { return filter.ends == starts.count; }, 120000));
    EXPECT_EQ(w.dlg->CurrentPage(), ui::CTonalboxDlg::kResultPage);
    EXPECT_EQ(w.VisiblePages(), "3");
    EXPECT_EQ(w.EnabledNav(), "CPR");
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardRun, ASecondRunStartsWithTheTemplateTexts) {
    ModalAnswerer answerer;
    m_settings.m_strOutputFolder = m_dir.File("out/");
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("first.mid")});
    ASSERT_TRUE(WaitForResult(w));
    ui::CConvertingPage* page = w.dlg->ConvertingPage();
    ASSERT_EQ(Ctl<QLabel>(page, 1071)->text(), QStringLiteral("100%"));
    Press(w.Prev());
    Press(w.Next());
    EXPECT_EQ(Ctl<QLabel>(page, 1066)->text(), QStringLiteral("..."));
    EXPECT_EQ(Ctl<QLabel>(page, 1067)->text(), QStringLiteral("..."));
    EXPECT_EQ(Ctl<QLabel>(page, 1071)->text(), QStringLiteral(".."));
    EXPECT_EQ(Ctl<QProgressBar>(page, 1062)->value(), 0);
    ASSERT_TRUE(WaitForResult(w));
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(WizardRun, AMissingOutputFolderIsMadeOrReportedBeforeTheRun) {
    { std::ofstream(m_dir.File("blocker")) << "a file, not a folder"; }
    m_settings.m_strOutputFolder = m_dir.File("blocker/sub/");
    ModalAnswerer answerer;
    Wizard w(m_settings, m_dir.File("Option.dat"));
    StartRun(w, {In("first.mid")});
    EXPECT_EQ(w.dlg->CurrentPage(), ui::CTonalboxDlg::kOutputPage);
    EXPECT_EQ(w.EnabledNav(), "CPN");
    EXPECT_EQ(answerer.Texts(),
              std::vector<std::string>{"Can not create folder: " + m_dir.File("blocker/sub/") + "."});

    // A folder that can be made is made, and the files go there.
    ui::COutputPage* out = w.Output();
    out->m_strFolder = m_dir.File("out/new/deeper/");
    out->DataToControls();
    Press(w.Next());
    ASSERT_TRUE(WaitForResult(w));
    EXPECT_TRUE(fs::exists(m_dir.File("out/new/deeper/first.mp3")));
    EXPECT_EQ(w.dlg->ResultPage()->FolderLink()->LinkTarget(), m_dir.File("out/new/deeper/"));
    EXPECT_EQ(answerer.Texts().size(), 1u);
}

}  // namespace
}  // namespace tonalbox::testing
