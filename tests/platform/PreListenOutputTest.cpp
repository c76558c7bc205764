// The real-time output's time limit, against a sound server that accepts
// the connection and never answers.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/PreListenOutput.h"
#include "tests/support/DeafSoundServer.h"

namespace tonalbox::audio {
namespace {

TEST(PreListenOutput, ASoundServerThatNeverAnswersFailsTheOpenAtTheLimit) {
    testsupport::DeafSoundServer server;
    ASSERT_TRUE(server.Listening());
    const auto order = PreListenOutput::DriverOrder();
    PreListenOutput::SetDriverOrder({"pulseaudio"});
    PreListenOutput::SetOpenLimitMs(300);

    // Opened on a thread of the test's own, so that an open that waits on
    // the server fails the test instead of holding it.
    auto output = std::make_shared<PreListenOutput>();
    fluid_settings_t* settings = new_fluid_settings();
    std::promise<int> opened;
    std::future<int> result = opened.get_future();
    std::thread([output, settings, opened = std::move(opened)]() mutable {
        opened.set_value(output->Open(settings, [](float*, float*, size_t) {}).code);
    }).detach();
    const bool answered = result.wait_for(std::chrono::seconds(15)) == std::future_status::ready;

    PreListenOutput::SetOpenLimitMs(kOutputOpenLimitMs);
    PreListenOutput::SetDriverOrder(order);
    ASSERT_TRUE(answered) << "the open waited on the server";
    EXPECT_EQ(result.get(), kNoDriver);
    EXPECT_FALSE(output->IsOpen());
    delete_fluid_settings(settings);
}

}  // namespace
}  // namespace tonalbox::audio
