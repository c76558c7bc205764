// The main window's keys: Return on a focused button, and where the focus
// goes after a move between pages.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include <filesystem>

#include "tests/ui/WizardTestSupport.h"
#include "ui/CConvertingPage.h"
#include "ui/CResultPage.h"

namespace tonalbox::testing {
namespace {

class WizardKeys : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WizardTestSetUp(); }
    void SetUp() override {
        UseTwoPorts();
        std::filesystem::create_directories(m_dir.File("out"));
        ASSERT_TRUE(WriteMidi(m_dir.File("song.mid"), 2));
        m_settings.m_bUseTempFolder = 0;
        m_settings.m_strOutputFolder = m_dir.File("out/");
        m_settings.m_nOutputFormat = tonalbox::OutputFormat::Wav;
    }

    testsupport::TempDir m_dir;
    ConversionSettings m_settings = ConversionSettings::Defaults();
};

TEST_F(WizardKeys, ReturnPressesTheFocusedButtonAndTheFocusStaysWithTheMove) {
    ModalAnswerer answerer;
    Wizard w(m_settings, m_dir.File("Option.dat"), true);
    w.dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.dlg.get()));
    w.Files()->AppendFiles({QString::fromStdString(m_dir.File("song.mid"))});
    QWidget* const nameList = w.Files()->NameList();
    QWidget* const cancel = Ctl<QPushButton>(w.dlg->ConvertingPage(), 1020);
    QWidget* const folderLink = Ctl<QWidget>(w.dlg->ResultPage(), 1070);

    // Each step: the button given the focus, Return on it, then the page
    // shown and the control that has the focus.
    struct Step {
        QWidget* button;
        int page;
        QWidget* focus;
    };
    for (const Step& s : std::initializer_list<Step>{
             {w.Next(), 1, w.Next()},  // still enabled: keeps the focus
             {w.Prev(), 0, nameList},  // disabled now: the page's first control
             {w.Next(), 1, w.Next()},
             {w.Next(), 2, cancel}}) {  // the run: the page's Cancel, not Option
        s.button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(s.button, Qt::Key_Return);
        EXPECT_EQ(w.dlg->CurrentPage(), s.page);
        EXPECT_EQ(QApplication::focusWidget(), s.focus) << s.page;
    }
    // The run ends on the result page, its link focused.
    ASSERT_TRUE(PumpUntil([&] { return w.dlg->CurrentPage() == ui::CTonalboxDlg::kResultPage; }, 120000));
    EXPECT_EQ(QApplication::focusWidget(), folderLink);
    EXPECT_TRUE(answerer.Texts().empty());
}

}  // namespace
}  // namespace tonalbox::testing
