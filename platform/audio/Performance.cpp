#include "platform/audio/Performance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/SoundFontCatalog.h"
#include "platform/audio/SynthLog.h"

namespace tonalbox::audio {

namespace {

// The synthesizer answers SysEx addressed to this device (or to all).
constexpr int kSysExDeviceId = 0x10;

// With dynamic sample loading, FluidSynth keeps one cache of sample data
// for the whole process: selecting a preset (a program change, a new
// synthesizer) loads into it and dropping one frees from it. Parallel
// engines crash the process after a few hundred files when they do that
// at once, so those calls go one at a time, whichever engine makes them.
platform::Result OutOfMemory(const char* what) {
    return platform::Result::Fail(kOutOfMemory, std::string("synthesizer: no memory for the ") + what);
}

std::mutex& SynthLifeMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

platform::Result Performance::Create(int sampleRate, std::unique_ptr<Performance>& out, int cores,
                                     bool channelsApart) {
    out.reset();
    if (sampleRate < 8000 || sampleRate > 96000)
        return platform::Result::Fail(kInvalidArg, "synthesizer: no rate of " + std::to_string(sampleRate) + " Hz");
    SynthLog::Install();
    std::unique_ptr<Performance> p(new Performance());
    p->m_sampleRate = sampleRate;
    p->m_settings = new_fluid_settings();
    p->m_holderSettings = new_fluid_settings();
    if (p->m_settings == nullptr || p->m_holderSettings == nullptr) return OutOfMemory("settings");
    for (fluid_settings_t* s : {p->m_settings, p->m_holderSettings}) {
        fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
        fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(s, "synth.lock-memory", 0);
    }
    fluid_settings_setnum(p->m_settings, "synth.gain", kSynthGain);
    fluid_settings_setint(p->m_settings, "synth.midi-channels", kMidiChannels);
    fluid_settings_setint(p->m_settings, "synth.polyphony", static_cast<int>(kSynthPolyphony));
    // With more than one core FluidSynth mixes the voices on helper threads,
    // and some renderings then differ from the one-core bytes (by whole
    // notes, not rounding; bench/cores_compare.sh shows it): conversions
    // keep one.
    fluid_settings_setint(p->m_settings, "synth.cpu-cores",
                          cores >= 1 && cores <= kMaxSynthCores ? cores : 1);
    fluid_settings_setint(p->m_settings, "synth.device-id", kSysExDeviceId);
    if (channelsApart) {
        // A voice sounds in the output group and effects unit of its MIDI
        // channel: one group and one unit (reverb and chorus) per channel.
        fluid_settings_setint(p->m_settings, "synth.audio-channels", kMidiChannels);
        fluid_settings_setint(p->m_settings, "synth.audio-groups", kMidiChannels);
        fluid_settings_setint(p->m_settings, "synth.effects-groups", kMidiChannels);
    }
    p->m_channelsApart = channelsApart;
    fluid_settings_setint(p->m_settings, "audio.period-size", 512);
    fluid_settings_setint(p->m_settings, "audio.periods", 8);
    fluid_settings_setstr(p->m_settings, "audio.sample-format", "float");
    fluid_settings_setint(p->m_holderSettings, "synth.polyphony", 1);
    fluid_settings_setint(p->m_holderSettings, "synth.reverb.active", 0);
    fluid_settings_setint(p->m_holderSettings, "synth.chorus.active", 0);
    p->m_synth = new_fluid_synth(p->m_settings);
    if (p->m_synth == nullptr) return OutOfMemory("synthesizer");
    out = std::move(p);
    return platform::Result::Ok();
}

Performance::~Performance() {
    m_output.Close();
    std::lock_guard<std::mutex> lock(m_mutex);
    DropSynthLocked();
    UnloadSoundFontLocked();
    if (m_settings != nullptr) delete_fluid_settings(m_settings);
    if (m_holderSettings != nullptr) delete_fluid_settings(m_holderSettings);
}

void Performance::DropSynthLocked() {
    if (m_synth == nullptr) return;
    std::lock_guard<std::mutex> life(SynthLifeMutex());
    // The SoundFont is the holder's: deleting the synthesizer with it would free it.
    if (m_synthSfont != nullptr) fluid_synth_remove_sfont(m_synth, m_synthSfont);
    m_synthSfont = nullptr;
    delete_fluid_synth(m_synth);
    m_synth = nullptr;
}

void Performance::UnloadSoundFontLocked() {
    if (m_synth != nullptr && m_synthSfont != nullptr) {
        fluid_synth_all_sounds_off(m_synth, -1);
        fluid_synth_remove_sfont(m_synth, m_synthSfont);
        m_synthSfont = nullptr;
    }
    std::lock_guard<std::mutex> life(SynthLifeMutex());
    if (m_holder != nullptr) delete_fluid_synth(m_holder);  // frees the SoundFonts
    m_holder = nullptr;
    m_loaded.clear();
    m_sfont = nullptr;
    m_loadedSoundFont.clear();
}

// Loads the chosen SoundFont into the holder, made when there is none.
platform::Result Performance::LoadSoundFontLocked(fluid_sfont_t*& sfont) {
    std::lock_guard<std::mutex> life(SynthLifeMutex());
    if (m_holder == nullptr) m_holder = new_fluid_synth(m_holderSettings);
    if (m_holder == nullptr) return OutOfMemory("SoundFont holder");
    const int id = fluid_synth_sfload(m_holder, m_soundFont.c_str(), 0);
    if (id == FLUID_FAILED) {
        if (m_loaded.empty()) {
            delete_fluid_synth(m_holder);
            m_holder = nullptr;
        }
        return platform::Result::Fail(kNoSoundFont, "synthesizer: can not load the SoundFont " + m_soundFont);
    }
    sfont = fluid_synth_get_sfont_by_id(m_holder, id);
    m_loaded.push_back({m_soundFont, sfont});
    return platform::Result::Ok();
}

platform::Result Performance::RenewSynthLocked() {
    DropSynthLocked();
    std::lock_guard<std::mutex> life(SynthLifeMutex());
    m_synth = new_fluid_synth(m_settings);
    if (m_synth == nullptr) return OutOfMemory("synthesizer");
    if (m_sfont != nullptr) {
        if (fluid_synth_add_sfont(m_synth, m_sfont) == FLUID_FAILED)
            return platform::Result::Fail(kNoSoundFont, "synthesizer: can not take the SoundFont " + m_loadedSoundFont);
        m_synthSfont = m_sfont;
    }
    return platform::Result::Ok();
}

void Performance::SelectSoundFont(const std::string& path, bool keepOthers) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_soundFont = path;
    m_keepLoaded = keepOthers;
}

platform::Result Performance::EnsureSoundFont() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_sfont != nullptr && m_loadedSoundFont == m_soundFont) return platform::Result::Ok();
    if (m_soundFont.empty()) return platform::Result::Fail(kNoSoundFont, "synthesizer: no SoundFont chosen");
    fluid_sfont_t* sfont = nullptr;
    for (const LoadedSoundFont& loaded : m_loaded)
        if (loaded.path == m_soundFont) sfont = loaded.sfont;
    if (sfont == nullptr) {
        if (!m_keepLoaded) UnloadSoundFontLocked();
        const platform::Result loaded = LoadSoundFontLocked(sfont);
        if (!loaded.ok()) return loaded;
    }
    m_sfont = sfont;
    m_loadedSoundFont = m_soundFont;
    return RenewSynthLocked();
}

bool Performance::LoadsSoundFont(const std::string& path) {
    // Only a regular file is opened: a FIFO would block, a device never end.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || ::access(path.c_str(), R_OK) != 0)
        return false;
    SynthLog::Install();
    fluid_settings_t* settings = new_fluid_settings();
    if (settings == nullptr) return false;
    // Loaded as the performance loads it: the samples only when played.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setint(settings, "synth.polyphony", 1);
    bool loads = false;
    {
        std::lock_guard<std::mutex> life(SynthLifeMutex());
        if (fluid_synth_t* synth = new_fluid_synth(settings); synth != nullptr) {
            loads = fluid_synth_sfload(synth, path.c_str(), 0) != FLUID_FAILED;
            delete_fluid_synth(synth);
        }
    }
    delete_fluid_settings(settings);
    return loads;
}

void Performance::SetSequence(std::shared_ptr<const MidiSequence> sequence) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_channelsPlaying = 0;
    if (sequence) {
        const ChannelUses uses = ChannelUseOf(*sequence);
        for (int c = 0; c < kMidiChannels; ++c)
            if (uses[static_cast<size_t>(c)].notes > 0) m_channelsPlaying |= 1u << c;
    }
    m_scheduler.Load(std::move(sequence), m_sampleRate);
}

void Performance::SetEffects(bool reverb, bool chorus) {
    std::lock_guard<std::mutex> lock(m_mutex);
    fluid_settings_setint(m_settings, "synth.reverb.active", reverb ? 1 : 0);
    fluid_settings_setint(m_settings, "synth.chorus.active", chorus ? 1 : 0);
}

void Performance::SetBankSelect(BankSelect mode) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string name(FluidSynthName(mode));
    char* fluidDefault = nullptr;
    if (!name.empty()) {
        fluid_settings_setstr(m_settings, "synth.midi-bank-select", name.c_str());
    } else if (fluid_settings_getstr_default(m_settings, "synth.midi-bank-select", &fluidDefault) == FLUID_OK &&
               fluidDefault != nullptr) {
        fluid_settings_setstr(m_settings, "synth.midi-bank-select", fluidDefault);
    }
}

platform::Result Performance::Play() {
    platform::Result loaded = EnsureSoundFont();
    if (!loaded.ok()) return loaded;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_scheduler.Loaded()) return platform::Result::Fail(kPointer, "synthesizer: no sequence to play");
    platform::Result renewed = RenewSynthLocked();
    if (!renewed.ok()) return renewed;
    // Apart, every channel has its own reverb and chorus, which cost their
    // time whether they hear anything or not: those of channels without a
    // note are switched off (they would only ever give silence).
    for (int channel = 0; m_channelsApart && channel < kMidiChannels; ++channel) {
        if ((m_channelsPlaying & (1u << channel)) != 0) continue;
        fluid_synth_reverb_on(m_synth, channel, 0);
        fluid_synth_chorus_on(m_synth, channel, 0);
    }
    m_scheduler.Start();
    ++m_playCount;
    return platform::Result::Ok();
}

void Performance::Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scheduler.Halt();
    if (m_synth == nullptr) return;
    for (int channel = 0; channel < kMidiChannels; ++channel) {
        fluid_synth_cc(m_synth, channel, 64, 0);  // sustain
        fluid_synth_cc(m_synth, channel, 66, 0);  // sostenuto
        fluid_synth_all_notes_off(m_synth, channel);
    }
}

bool Performance::Playing() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduler.Playing();
}

uint64_t Performance::PlayCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_playCount;
}

int64_t Performance::PositionTicks() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduler.PositionTicks();
}

int64_t Performance::LengthTicks() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_scheduler.LengthTicks();
}

void Performance::Render(float* left, float* right, size_t frames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_synth == nullptr) return;
    RenderLocked(&left, &right, 1, frames);
}

void Performance::RenderChannels(float* const* left, float* const* right, size_t frames) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_synth == nullptr || !m_channelsApart) return;
    RenderLocked(left, right, kMidiChannels, frames);
}

// FluidSynth's buffers: dry pair i is out[2i], out[2i+1]; effects unit u
// sends its reverb to fx[4u], fx[4u+1] and its chorus to fx[4u+2],
// fx[4u+3] (each index modulo the count given). Both go to the dry pair of
// their group, so a pair holds the whole sound of its group.
void Performance::RenderLocked(float* const* left, float* const* right, int pairs, size_t frames) {
    float* out[2 * kMidiChannels];
    float* fx[4 * kMidiChannels];
    size_t done = 0;
    while (done < frames) {
        {
            // A program change loads the preset's samples.
            std::lock_guard<std::mutex> life(SynthLifeMutex());
            m_scheduler.DispatchDue(m_synth);
        }
        const size_t n = std::max<size_t>(1, m_scheduler.FramesBeforeNextEvent(frames - done));
        for (int p = 0; p < pairs; ++p) {
            out[2 * p] = left[p] + done;
            out[2 * p + 1] = right[p] + done;
            fx[4 * p] = fx[4 * p + 2] = out[2 * p];
            fx[4 * p + 1] = fx[4 * p + 3] = out[2 * p + 1];
        }
        fluid_synth_process(m_synth, static_cast<int>(n), 4 * pairs, fx, 2 * pairs, out);
        m_scheduler.Advance(n);
        done += n;
    }
    // Whatever falls due at the end of the block sounds with the next one.
    m_scheduler.DispatchDue(m_synth);
}

platform::Result Performance::OpenOutput() {
    m_output.Close();
    m_outputLimiter = LookAheadLimiter(m_sampleRate);
    m_outputPlayCount = PlayCount();
    return m_output.Open(m_settings, [this](float* l, float* r, size_t n) { RenderOutput(l, r, n); });
}

// The real-time output cannot wait for a piece to end: it plays at the
// fixed output level, limited. Runs on the output's thread only.
void Performance::RenderOutput(float* left, float* right, size_t frames) {
    Render(left, right, frames);
    const uint64_t playCount = PlayCount();
    if (playCount != m_outputPlayCount) {
        m_outputPlayCount = playCount;
        m_outputLimiter.Reset();
    }
    for (size_t i = 0; i < frames; ++i) {
        left[i] *= kOutputGain;
        right[i] *= kOutputGain;
    }
    m_outputLimiter.Process(left, right, frames);
}

void Performance::CloseOutput() { m_output.Close(); }

}  // namespace tonalbox::audio
