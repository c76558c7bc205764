#include "ui/controls/AppMessageBox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

#include "ui/controls/UiThread.h"
#include "tests/controls/QtTestSupport.h"

namespace tonalbox::controls {
namespace {

using tonalbox::testing::ModalAnswerer;
using tonalbox::testing::PumpUntil;
using tonalbox::testing::TestApp;

TEST(AppMessageBox, ShowsExclamationWithTitleOnTheUiThread) {
    TestApp();
    ModalAnswerer answerer;
    AppMessageBox("Please add the MIDI files!");
    ASSERT_EQ(answerer.Seen().size(), 1u);
    EXPECT_EQ(answerer.Seen()[0].text, "Please add the MIDI files!");
    EXPECT_EQ(answerer.Seen()[0].title, QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(answerer.Seen()[0].icon, QMessageBox::Warning);
}

TEST(AppMessageBox, WorkerWaitsUntilTheBoxIsClosed) {
    TestApp();
    // No for the question; the plain box has only OK, which is taken.
    ModalAnswerer answerer(QMessageBox::No);
    std::atomic<int> step{0};
    std::atomic<bool> answer{true};
    std::thread worker([&] {
        AppMessageBox("Error loading file");
        step = 1;
        answer = AskYesNoBox("the file: x have exist. writeover it? ");
        step = 2;
    });
    ASSERT_TRUE(PumpUntil([&] { return step == 2; }));
    worker.join();
    ASSERT_EQ(answerer.Seen().size(), 2u);
    EXPECT_EQ(answerer.Seen()[0].text, "Error loading file");
    EXPECT_EQ(answerer.Seen()[1].icon, QMessageBox::Question);
    EXPECT_EQ(answerer.Seen()[1].title, "");
    EXPECT_FALSE(answer);
}

TEST(AppMessageBox, QuestionReturnsTheAnswer) {
    TestApp();
    ModalAnswerer yes(QMessageBox::Yes);
    EXPECT_TRUE(AskYesNoBox("q?"));
    yes.SetButton(QMessageBox::No);
    EXPECT_FALSE(AskYesNoBox("q?"));
}

TEST(UiThread, RunOnUiThreadRunsThereAndBlocksTheCaller) {
    TestApp();
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        RunOnUiThread([&] { ranOnUi = IsUiThread(); });
        returned = true;
    });
    while (!returned.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_TRUE(ranOnUi);
    EXPECT_TRUE(IsUiThread());
}

}  // namespace
}  // namespace tonalbox::controls
