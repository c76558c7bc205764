#include "platform/audio/PreListenOutput.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

namespace {

std::mutex& OrderMutex() {
    static std::mutex m;
    return m;
}

std::vector<std::string>& Order() {
    static std::vector<std::string> order{"pulseaudio", "alsa"};
    return order;
}

constexpr size_t kNullPeriod = 512;

// ALSA's library prints its own errors (a machine without a sound card
// gives a screenful) unless it is given a handler; ours drops them, since a
// driver that does not open is reported by its result.
void QuietAlsaError(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                    const char* /*fmt*/, ...) {}

void QuietAlsa() {
    static std::once_flag once;
    std::call_once(once, [] {
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler");
        if (symbol != nullptr) reinterpret_cast<SetHandler>(symbol)(&QuietAlsaError);
    });
}

}  // namespace

void PreListenOutput::SetDriverOrder(const std::vector<std::string>& drivers) {
    std::lock_guard<std::mutex> lock(OrderMutex());
    Order() = drivers;
}

std::vector<std::string> PreListenOutput::DriverOrder() {
    std::lock_guard<std::mutex> lock(OrderMutex());
    return Order();
}

PreListenOutput::~PreListenOutput() { Close(); }

HResult PreListenOutput::Open(fluid_settings_t* settings, RenderFunc render) {
    Close();
    m_render = std::move(render);
    double rate = 44100.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    for (const std::string& name : DriverOrder()) {
        if (name == "null") {
            m_stop = false;
            m_thread = std::thread(&PreListenOutput::RunNullOutput, this, static_cast<int>(rate));
            m_driverName = name;
            return kOk;
        }
        if (name == "alsa") QuietAlsa();
        if (fluid_settings_setstr(settings, "audio.driver", name.c_str()) != FLUID_OK) continue;
        m_driver = new_fluid_audio_driver2(settings, &PreListenOutput::Callback, this);
        if (m_driver != nullptr) {
            m_driverName = name;
            return kOk;
        }
    }
    m_render = nullptr;
    return kNoDriver;
}

void PreListenOutput::Close() {
    if (m_driver != nullptr) {
        delete_fluid_audio_driver(m_driver);
        m_driver = nullptr;
    }
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
    m_driverName.clear();
}

int PreListenOutput::Callback(void* data, int len, int /*nfx*/, float* /*fx*/[], int nout, float* out[]) {
    auto* self = static_cast<PreListenOutput*>(data);
    if (len <= 0 || nout < 1 || !self->m_render) return FLUID_OK;
    float* left = out[0];
    float* right = nout >= 2 ? out[1] : out[0];
    if (nout >= 2) {
        self->m_render(left, right, static_cast<size_t>(len));
    } else {
        // One output only: render both channels and keep their mean.
        std::vector<float> r(static_cast<size_t>(len), 0.0f);
        self->m_render(left, r.data(), static_cast<size_t>(len));
        for (int i = 0; i < len; ++i) left[i] = 0.5f * (left[i] + r[static_cast<size_t>(i)]);
    }
    return FLUID_OK;
}

void PreListenOutput::RunNullOutput(int sampleRate) {
    std::vector<float> left(kNullPeriod), right(kNullPeriod);
    const auto period = std::chrono::duration<double>(static_cast<double>(kNullPeriod) / sampleRate);
    auto next = std::chrono::steady_clock::now();
    while (!m_stop) {
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        m_render(left.data(), right.data(), kNullPeriod);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
        std::this_thread::sleep_until(next);
    }
}

}  // namespace tonalbox::audio
