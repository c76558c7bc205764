// The output settings page: start-up behind the notice, the port list and
// the saved port, the two check-box rules, Browse, the folder test on
// leaving, and the pre-listen.
#include <gtest/gtest.h>

#include <QDir>

#include "platform/ProgramPaths.h"
#include "tests/ui/WizardTestSupport.h"
#include "ui/CPathList.h"
#include "ui/CWaitDialog.h"

namespace tonalbox::testing {
namespace {

namespace fs = std::filesystem;

const char* const kNoPort =
    "Can't find any soundfusion! Ensure you have an audio card device and DirectX 8.0 or "
    "aboveinstalled in your system.";

class OutputPage : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WizardTestSetUp(); }
    void SetUp() override {
        UseTwoPorts();
        ASSERT_TRUE(WriteMidi(m_dir.File("first.mid"), 40));
        ASSERT_TRUE(WriteMidi(m_dir.File("not-midi.mid"), 1));
        fs::resize_file(m_dir.File("not-midi.mid"), 5);
        m_list.addItems({QString::fromStdString(m_dir.File("first.mid"))});
        m_settings.m_strProgramFolder = m_dir.Path() + "/";
    }
    void TearDown() override {
        UseTwoPorts();
    }

    // Creates the page with the given saved choices and lets its engine
    // start; the page is then entered.
    std::unique_ptr<ui::COutputPage> Start(int portIndex, ModalAnswerer& answerer, bool enter = true) {
        auto page = std::make_unique<ui::COutputPage>(m_settings);
        page->SetPathList(&m_paths);
        page->m_strFolder = m_dir.Path() + "/";
        page->m_nPortIndex = portIndex;
        page->m_nFormatIndex = 1;
        page->m_bUseTempFolder = 0;
        page->Create(&m_parent);
        EXPECT_NE(page->WaitDialog(), nullptr);
        EXPECT_TRUE(page->WaitDialog() && page->WaitDialog()->isVisible());
        EXPECT_TRUE(PumpUntil([&] { return page->IsEngineStarted(); }, 20000));
        EXPECT_EQ(page->WaitDialog(), nullptr);
        (void)answerer;
        if (enter) page->OnPageEnter();
        return page;
    }

    QComboBox* Ports(ui::COutputPage* p) const { return Ctl<QComboBox>(p, 1050); }

    testsupport::TempDir m_dir;
    ConversionSettings m_settings = ConversionSettings::Defaults();
    QWidget m_parent;
    QListWidget m_list;
    ui::CPathList m_paths{&m_list};
};

TEST_F(OutputPage, NoticeShowsTheWaitTextAndPortsAreListed) {
    auto page = std::make_unique<ui::COutputPage>(m_settings);
    page->m_nPortIndex = 1;
    page->Create(&m_parent);
    ui::CWaitDialog* wait = page->WaitDialog();
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(wait->NotifyWindow(), page.get());
    EXPECT_EQ(wait->findChild<QLabel*>()->text(), QStringLiteral("Initialize, please wait..."));
    EXPECT_TRUE(wait->windowTitle().isEmpty());
    EXPECT_FALSE(page->IsEngineStarted());
    ASSERT_TRUE(PumpUntil([&] { return page->IsEngineStarted(); }, 20000));
    EXPECT_EQ(Ports(page.get())->count(), 2);
    EXPECT_EQ(Ports(page.get())->itemText(0), QStringLiteral("Port A (SoundFont synthesizer)"));
    EXPECT_EQ(Ports(page.get())->currentIndex(), 1);
    EXPECT_EQ(page->PreListenIconId(), 146);
}

TEST_F(OutputPage, SavedPortBeyondTheListSelectsTheFirstSilently) {
    ModalAnswerer answerer;
    auto page = Start(7, answerer);
    EXPECT_EQ(Ports(page.get())->currentIndex(), 0);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(OutputPage, NoPortsGiveTheNoPortMessageUnlessThePortWasNone) {
    UseNoPorts();
    {
        ModalAnswerer answerer;
        auto page = Start(0, answerer);
        EXPECT_EQ(Ports(page.get())->count(), 0);
        ASSERT_EQ(answerer.Texts(), std::vector<std::string>{kNoPort});
        // Pre-Listen with no ports says so again.
        Press(Ctl<QPushButton>(page.get(), 1029));
        EXPECT_EQ(answerer.Texts().size(), 2u);
        EXPECT_EQ(answerer.Seen()[1].text, kNoPort);
    }
    {
        ModalAnswerer answerer;
        auto page = Start(-1, answerer);
        EXPECT_TRUE(answerer.Texts().empty());
    }
}

TEST_F(OutputPage, NoSavedPortLeavesNoSelectionAndPreListenDoesNothing) {
    ModalAnswerer answerer;
    auto page = Start(-1, answerer);
    EXPECT_EQ(Ports(page.get())->currentIndex(), -1);
    Press(Ctl<QPushButton>(page.get(), 1029));
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_TRUE(answerer.Texts().empty());
    // Leaving stores "no port".
    page->OnPageLeave();
    EXPECT_EQ(m_settings.m_nPortIndex, -1);
}

TEST_F(OutputPage, CheckBoxRulesEachDecideWhenTheyRun) {
    ModalAnswerer answerer;
    auto page = Start(0, answerer);
    QCheckBox* same = Ctl<QCheckBox>(page.get(), 1061);
    QCheckBox* temp = Ctl<QCheckBox>(page.get(), 1062);
    QPushButton* browse = Ctl<QPushButton>(page.get(), 1020);
    QLineEdit* edit = Ctl<QLineEdit>(page.get(), 1035);
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_TRUE(edit->isReadOnly());
    Press(same);
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    Press(temp);
    EXPECT_FALSE(browse->isEnabled());
    EXPECT_EQ(edit->text().toStdString(), platform::TempFolder());
    // Unchecking "Use Temp" enables them although "Same as source" is on.
    Press(temp);
    EXPECT_TRUE(browse->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
    Press(same);
    Press(same);
    EXPECT_FALSE(browse->isEnabled());
}

TEST_F(OutputPage, EnteringWithUseTempPutsTheTempFolderEverywhere) {
    ModalAnswerer answerer;
    auto page = Start(0, answerer, false);
    Press(Ctl<QCheckBox>(page.get(), 1062));
    page->OnPageLeave();
    m_settings.m_strOutputFolder = "/elsewhere/";
    page->OnPageEnter();
    EXPECT_EQ(m_settings.m_strOutputFolder, platform::TempFolder());
    EXPECT_EQ(page->m_strFolder, platform::TempFolder());
    EXPECT_EQ(Ctl<QLineEdit>(page.get(), 1035)->text().toStdString(), platform::TempFolder());
    EXPECT_FALSE(Ctl<QPushButton>(page.get(), 1020)->isEnabled());
}

TEST_F(OutputPage, BrowseGivesTheFolderWithOneTrailingSeparator) {
    fs::create_directories(m_dir.File("chosen"));
    QString answer = QStringLiteral("chosen");
    QString folder = QString::fromStdString(m_dir.Path());
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        if (auto* fd = qobject_cast<QFileDialog*>(modal)) {
            EXPECT_EQ(fd->windowTitle(), QStringLiteral("Select Destination Path:"));
            EXPECT_EQ(fd->fileMode(), QFileDialog::Directory);
        }
        return AnswerFileDialog(modal, folder, answer);
    });
    auto page = Start(0, answerer);
    QLineEdit* edit = Ctl<QLineEdit>(page.get(), 1035);
    Press(Ctl<QPushButton>(page.get(), 1020));
    EXPECT_EQ(edit->text().toStdString(), m_dir.File("chosen/"));
    // The root keeps its single separator.
    folder = QStringLiteral("/");
    answer = QStringLiteral("/");
    Press(Ctl<QPushButton>(page.get(), 1020));
    EXPECT_EQ(edit->text(), QStringLiteral("/"));
    // The settings only change when the page is left.
    EXPECT_NE(m_settings.m_strOutputFolder, "/");
    page->OnPageLeave();
    EXPECT_EQ(m_settings.m_strOutputFolder, "/");
}

TEST_F(OutputPage, CancelledBrowseChangesNothing) {
    ModalAnswerer answerer(QMessageBox::Ok, [](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (fd) fd->reject();
        return fd != nullptr;
    });
    auto page = Start(0, answerer);
    const QString before = Ctl<QLineEdit>(page.get(), 1035)->text();
    Press(Ctl<QPushButton>(page.get(), 1020));
    EXPECT_EQ(Ctl<QLineEdit>(page.get(), 1035)->text(), before);
}

TEST_F(OutputPage, AFolderGoneSinceItWasChosenStaysTheOutputFolder) {
    fs::create_directories(m_dir.File("gone"));
    ModalAnswerer answerer;
    auto page = Start(0, answerer, false);
    page->m_strFolder = m_dir.File("gone/");
    page->DataToControls();
    page->OnPageEnter();
    fs::remove(m_dir.File("gone"));
    Ctl<QCheckBox>(page.get(), 1034)->setChecked(false);
    Ctl<QComboBox>(page.get(), 1049)->setCurrentIndex(0);
    page->OnPageLeave();
    // Never the program's folder: the folder is made before a run.
    EXPECT_EQ(m_settings.m_strOutputFolder, m_dir.File("gone/"));
    EXPECT_EQ(Ctl<QLineEdit>(page.get(), 1035)->text().toStdString(), m_dir.File("gone/"));
    EXPECT_EQ(m_settings.m_bOverwrite, 0);
    EXPECT_EQ(m_settings.m_nOutputFormat, tonalbox::OutputFormat::Wav);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(OutputPage, BrowseStartsAtTheCurrentOutputFolder) {
    fs::create_directories(m_dir.File("current"));
    QString openedIn;
    ModalAnswerer answerer(QMessageBox::Ok, [&](QWidget* modal) {
        auto* fd = qobject_cast<QFileDialog*>(modal);
        if (!fd) return false;
        openedIn = QDir(fd->directory()).absolutePath();
        fd->reject();
        return true;
    });
    auto page = Start(0, answerer, false);
    page->m_strFolder = m_dir.File("current/");
    page->DataToControls();
    page->OnPageEnter();
    Press(Ctl<QPushButton>(page.get(), 1020));
    EXPECT_EQ(openedIn, QDir(QString::fromStdString(m_dir.File("current"))).absolutePath());
}

TEST_F(OutputPage, FolderTest) {
    EXPECT_TRUE(ui::COutputPage::FolderTest(m_dir.Path()));
    EXPECT_TRUE(ui::COutputPage::FolderTest(m_dir.Path() + "/"));
    EXPECT_TRUE(ui::COutputPage::FolderTest("/"));
    EXPECT_FALSE(ui::COutputPage::FolderTest(m_dir.File("missing/")));
    EXPECT_FALSE(ui::COutputPage::FolderTest(m_dir.File("first.mid")));
    EXPECT_FALSE(ui::COutputPage::FolderTest(""));
}

TEST_F(OutputPage, PreListenPlaysTheFirstFileAndStopsOnEveryStopEvent) {
    m_list.addItem(QString::fromStdString(m_dir.File("not-midi.mid")));
    m_list.setCurrentRow(1);  // a highlight elsewhere plays no part
    ModalAnswerer answerer;
    auto page = Start(0, answerer);
    QPushButton* play = Ctl<QPushButton>(page.get(), 1029);
    EXPECT_EQ(play->accessibleName(), QStringLiteral("Pre-Listen"));
    Press(play);
    EXPECT_TRUE(page->IsPlaying());
    EXPECT_EQ(page->PreListenIconId(), 147);
    Press(play);
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_EQ(page->PreListenIconId(), 146);

    // Choosing another port stops it.
    Press(play);
    emit Ports(page.get())->activated(1);
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_EQ(page->PreListenIconId(), 146);
    // Leaving the page stops it.
    Press(play);
    page->OnPageLeave();
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_EQ(page->PreListenIconId(), 146);
    EXPECT_TRUE(answerer.Texts().empty());
}

TEST_F(OutputPage, AFirstFileThatIsNoMidiFileCannotBeLoaded) {
    m_list.clear();
    m_list.addItems({QString::fromStdString(m_dir.File("not-midi.mid")),
                     QString::fromStdString(m_dir.File("first.mid"))});
    ModalAnswerer answerer;
    auto page = Start(0, answerer);
    Press(Ctl<QPushButton>(page.get(), 1029));
    EXPECT_FALSE(page->IsPlaying());
    EXPECT_EQ(page->PreListenIconId(), 146);
    m_list.clear();
    m_list.addItem(QString::fromStdString(m_dir.File("missing.mid")));
    Press(Ctl<QPushButton>(page.get(), 1029));
    EXPECT_EQ(answerer.Texts(), (std::vector<std::string>{"Error loading file", "Error loading file"}));
}

}  // namespace
}  // namespace tonalbox::testing
