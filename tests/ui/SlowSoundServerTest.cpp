// A sound server that never answers: the window keeps answering while the
// output page's engine starts, then takes the failed start's path, and
// conversion still works.
#include <gtest/gtest.h>

#include <QTimer>

#include <filesystem>

#include "tests/support/DeafSoundServer.h"
#include "tests/ui/WizardTestSupport.h"
#include "ui/CResultPage.h"

namespace tonalbox::testing {
namespace {

TEST(SlowSoundServer, TheWindowAnswersThenTheStartFailsAsDesignedAndConversionWorks) {
    WizardTestSetUp();
    testsupport::DeafSoundServer server;
    ASSERT_TRUE(server.Listening());
    audio::PreListenOutput::SetDriverOrder({"pulseaudio"});
    audio::PreListenOutput::SetOpenLimitMs(1000);
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("out"));
    ASSERT_TRUE(WriteMidi(dir.File("song.mid"), 2));
    ConversionSettings settings = ConversionSettings::Defaults();
    settings.m_bUseTempFolder = 0;
    settings.m_strOutputFolder = dir.File("out/");
    settings.m_nOutputFormat = tonalbox::OutputFormat::Wav;

    ModalAnswerer answerer;
    auto dlg = std::make_unique<ui::CTonalboxDlg>(settings, nullptr, dir.File("Option.dat"));
    dlg->show();
    ui::COutputPage* page = dlg->OutputPage();
    ASSERT_TRUE(PumpUntil([&] { return page->IsEngineStarting(); }, 20000));
    // A call posted now runs while the engine is still starting.
    bool answered = false;
    QTimer::singleShot(0, dlg.get(), [&] { answered = true; });
    ASSERT_TRUE(PumpUntil([&] { return answered || page->IsEngineStarted(); }, 20000));
    EXPECT_TRUE(answered);
    EXPECT_FALSE(page->IsEngineStarted());

    ASSERT_TRUE(PumpUntil([&] { return page->IsEngineStarted() && answerer.Seen().size() == 2; }, 20000));
    EXPECT_EQ(answerer.Texts()[0].rfind("Can't initialize DirectMusic objects.", 0), 0u);
    EXPECT_EQ(answerer.Texts()[1].rfind("Can't find any soundfusion!", 0), 0u);
    EXPECT_EQ(page->WaitDialog(), nullptr);

    dlg->FileListPage()->AppendFiles({QString::fromStdString(dir.File("song.mid"))});
    Press(Ctl<QPushButton>(dlg.get(), 1003));
    Press(Ctl<QPushButton>(dlg.get(), 1003));
    ASSERT_TRUE(PumpUntil([&] { return dlg->CurrentPage() == ui::CTonalboxDlg::kResultPage; }, 120000));
    EXPECT_EQ(dlg->ResultPage()->m_nSuccessCount, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/song.wav")));
    dlg->reject();
    dlg.reset();
    audio::PreListenOutput::SetOpenLimitMs(audio::kOutputOpenLimitMs);
    audio::PreListenOutput::SetDriverOrder({"null"});
}

}  // namespace
}  // namespace tonalbox::testing
