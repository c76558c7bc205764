// The real-time output's time limit, against a sound server that accepts
// the connection and never answers.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/PreListenOutput.h"
#include "tests/support/TempDir.h"

namespace tonalbox::audio {
namespace {

// A socket that takes connections into its queue and never reads them;
// PULSE_SERVER points at it while the object lives.
class DeafSoundServer {
public:
    DeafSoundServer() {
        const std::string path = m_dir.File("native");
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_listening = m_fd >= 0 &&
                      ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                      ::listen(m_fd, 8) == 0;
        if (const char* old = std::getenv("PULSE_SERVER")) m_old = old;
        ::setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
    }
    ~DeafSoundServer() {
        if (m_old.empty()) ::unsetenv("PULSE_SERVER"); else ::setenv("PULSE_SERVER", m_old.c_str(), 1);
        if (m_fd >= 0) ::close(m_fd);
    }
    bool Listening() const { return m_listening; }

private:
    testsupport::TempDir m_dir{"tonalbox-deaf"};
    int m_fd = -1;
    bool m_listening = false;
    std::string m_old;
};

TEST(PreListenOutput, ASoundServerThatNeverAnswersFailsTheOpenAtTheLimit) {
    DeafSoundServer server;
    ASSERT_TRUE(server.Listening());
    const auto order = PreListenOutput::DriverOrder();
    PreListenOutput::SetDriverOrder({"pulseaudio"});
    PreListenOutput::SetOpenLimitMs(300);

    // Opened on a thread of the test's own, so that an open that waits on
    // the server fails the test instead of holding it.
    auto output = std::make_shared<PreListenOutput>();
    fluid_settings_t* settings = new_fluid_settings();
    std::promise<HResult> opened;
    std::future<HResult> result = opened.get_future();
    std::thread([output, settings, opened = std::move(opened)]() mutable {
        opened.set_value(output->Open(settings, [](float*, float*, size_t) {}));
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
