#include "platform/audio/PreListenOutput.h"

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
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

std::atomic<int>& OpenLimit() {
    static std::atomic<int> limit{kOutputOpenLimitMs};
    return limit;
}

constexpr size_t kNullPeriod = 512;

// The settings a driver reads when it opens, copied so that a driver still
// opening after its output gave up never reads the synthesizer's own.
fluid_settings_t* DriverSettings(fluid_settings_t* from, const std::string& driver) {
    fluid_settings_t* to = new_fluid_settings();
    if (to == nullptr) return nullptr;
    double rate = 44100.0;
    fluid_settings_getnum(from, "synth.sample-rate", &rate);
    fluid_settings_setnum(to, "synth.sample-rate", rate);
    for (const char* name : {"audio.period-size", "audio.periods", "synth.audio-channels"}) {
        int value = 0;
        if (fluid_settings_getint(from, name, &value) == FLUID_OK) fluid_settings_setint(to, name, value);
    }
    char format[32] = {};
    if (fluid_settings_copystr(from, "audio.sample-format", format, sizeof format) == FLUID_OK)
        fluid_settings_setstr(to, "audio.sample-format", format);
    if (fluid_settings_setstr(to, "audio.driver", driver.c_str()) != FLUID_OK) {
        delete_fluid_settings(to);
        return nullptr;
    }
    return to;
}

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

// One driver opened on a thread of its own, shared by that thread and the
// output; whichever lets go last frees it. Its callback plays silence
// until the output has taken the driver.
struct PreListenOutput::Attempt {
    std::mutex mutex;
    std::condition_variable opened;
    bool done = false;  // the driver call has returned
    fluid_settings_t* settings = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    std::atomic<PreListenOutput*> owner{nullptr};

    ~Attempt() {
        if (driver != nullptr) delete_fluid_audio_driver(driver);
        if (settings != nullptr) delete_fluid_settings(settings);
    }

    // Starts opening the driver the settings name; false when it cannot
    // even be asked for.
    static std::shared_ptr<Attempt> Start(fluid_settings_t* settings, const std::string& name) {
        auto attempt = std::make_shared<Attempt>();
        attempt->settings = DriverSettings(settings, name);
        if (attempt->settings == nullptr) return nullptr;
        std::thread([attempt] {
            fluid_audio_driver_t* driver =
                new_fluid_audio_driver2(attempt->settings, &PreListenOutput::Callback, attempt.get());
            std::lock_guard<std::mutex> lock(attempt->mutex);
            attempt->driver = driver;
            attempt->done = true;
            attempt->opened.notify_all();
        }).detach();
        return attempt;
    }
};

void PreListenOutput::SetOpenLimitMs(int ms) { OpenLimit() = ms; }

int PreListenOutput::OpenLimitMs() { return OpenLimit(); }

void PreListenOutput::SetDriverOrder(const std::vector<std::string>& drivers) {
    std::lock_guard<std::mutex> lock(OrderMutex());
    Order() = drivers;
}

std::vector<std::string> PreListenOutput::DriverOrder() {
    std::lock_guard<std::mutex> lock(OrderMutex());
    return Order();
}

PreListenOutput::~PreListenOutput() { Close(); }

platform::Result PreListenOutput::Open(fluid_settings_t* settings, RenderFunc render) {
    Close();
    m_render = std::move(render);
    double rate = 44100.0;
    fluid_settings_getnum(settings, "synth.sample-rate", &rate);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(OpenLimitMs());
    for (const std::string& name : DriverOrder()) {
        if (name == "null") {
            m_stop = false;
            m_thread = std::thread(&PreListenOutput::RunNullOutput, this, static_cast<int>(rate));
            return platform::Result::Ok();
        }
        if (name == "alsa") QuietAlsa();
        std::shared_ptr<Attempt> attempt = Attempt::Start(settings, name);
        if (!attempt) continue;
        std::unique_lock<std::mutex> lock(attempt->mutex);
        // Out of time: the drivers left would only wait on the same server.
        if (!attempt->opened.wait_until(lock, deadline, [&] { return attempt->done; })) break;
        if (attempt->driver != nullptr) {
            attempt->owner = this;
            m_attempt = std::move(attempt);
            return platform::Result::Ok();
        }
    }
    m_render = nullptr;
    return platform::Result::Fail(kNoDriver, "output: no audio driver opened");
}

void PreListenOutput::Close() {
    if (m_attempt) {
        // The audio thread has ended once the driver is gone.
        std::lock_guard<std::mutex> lock(m_attempt->mutex);
        m_attempt->owner = nullptr;
        delete_fluid_audio_driver(m_attempt->driver);
        m_attempt->driver = nullptr;
    }
    m_attempt.reset();
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
}

int PreListenOutput::Callback(void* data, int len, int /*nfx*/, float* /*fx*/[], int nout, float* out[]) {
    PreListenOutput* self = static_cast<Attempt*>(data)->owner.load();
    if (len <= 0 || nout < 1 || self == nullptr || !self->m_render) return FLUID_OK;
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
