#pragma once
// The real-time output of pre-listen mode: FluidSynth's audio driver with a
// callback that pulls audio from the performance. The drivers are tried in
// order (the desktop's sound server, then ALSA); "null" is an output of our
// own that pulls audio at the pace of the wall clock and discards it (for
// machines without a sound device, and for tests).

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fluidsynth.h>

#include "platform/Result.h"

namespace tonalbox::audio {

// How long opening the output may take, all drivers together: a sound
// server that accepts the connection and never answers would otherwise
// hold the caller for good.
inline constexpr int kOutputOpenLimitMs = 5000;

class PreListenOutput {
public:
    // Fills `frames` frames of the two channels (already zeroed).
    using RenderFunc = std::function<void(float* left, float* right, size_t frames)>;

    PreListenOutput() = default;
    ~PreListenOutput();
    PreListenOutput(const PreListenOutput&) = delete;
    PreListenOutput& operator=(const PreListenOutput&) = delete;

    // Opens the first driver of DriverOrder() that works, at the settings'
    // sample rate. kNoDriver when none opens within OpenLimitMs(); a driver
    // still opening then is closed on its own thread once it returns.
    platform::Result Open(fluid_settings_t* settings, RenderFunc render);
    void Close();
    bool IsOpen() const { return m_attempt != nullptr || m_thread.joinable(); }

    // The drivers tried, process-wide; by default {"pulseaudio", "alsa"}.
    static void SetDriverOrder(const std::vector<std::string>& drivers);
    static std::vector<std::string> DriverOrder();
    // The time limit of Open, process-wide; kOutputOpenLimitMs by default.
    static void SetOpenLimitMs(int ms);
    static int OpenLimitMs();

private:
    struct Attempt;
    static int Callback(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
    void RunNullOutput(int sampleRate);

    RenderFunc m_render;
    // The opened driver, and what its callback reaches us through.
    std::shared_ptr<Attempt> m_attempt;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

}  // namespace tonalbox::audio
