#pragma once
// The performance: one FluidSynth synthesizer with the SoundFont of the
// chosen port, and the scheduler that plays the loaded MIDI file on it.
// Audio is pulled from it in blocks (Render); in render mode by the render
// buffer, in pre-listen mode by the real-time output, so both modes share
// one scheduler. All operations may be called from any thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <fluidsynth.h>

#include "platform/Result.h"
#include "platform/audio/BankSelect.h"
#include "platform/audio/ChannelUse.h"
#include "platform/audio/LookAheadLimiter.h"
#include "platform/audio/MidiScheduler.h"
#include "platform/audio/MidiSequence.h"
#include "platform/audio/PreListenOutput.h"

namespace tonalbox::audio {

// Output level of the synthesizer: FluidSynth's own default, which leaves
// dense General MIDI arrangements headroom below full scale.
inline constexpr double kSynthGain = 0.2;
// The fixed gain of audio that is not normalised (the real-time output and
// renderings without normalisation), in front of a look-ahead limiter.
inline constexpr float kOutputGain = 3.0f;
// Sample rate of the real-time output.
inline constexpr int kPreListenSampleRate = 44100;
// The most threads one synthesizer may mix its voices on (for comparisons:
// only one gives the same bytes on every rendering).
inline constexpr int kMaxSynthCores = 4;
// A performance that keeps the MIDI channels (kMidiChannels) apart renders
// each of them (dry, reverb and chorus) into a stereo pair of its own.

class Performance {
public:
    // Makes the synthesizer for `sampleRate` (8000..96000 Hz), mixing its
    // voices on `cores` threads (1..kMaxSynthCores; outside that, 1).
    // `channelsApart`: every MIDI channel gets its own output and its own
    // reverb and chorus (RenderChannels); otherwise all channels share one
    // stereo output and one reverb and chorus, as a performance renders
    // unless it is asked for the channels one by one.
    static platform::Result Create(int sampleRate, std::unique_ptr<Performance>& out, int cores = 1,
                                   bool channelsApart = false);
    ~Performance();
    Performance(const Performance&) = delete;
    Performance& operator=(const Performance&) = delete;

    int SampleRate() const { return m_sampleRate; }

    // Chooses the SoundFont to play with. It is loaded when first needed
    // (EnsureSoundFont), once. Choosing another one unloads the ones loaded
    // before, unless keepOthers: then they stay loaded, to be chosen again
    // without loading (a run over several SoundFonts).
    void SelectSoundFont(const std::string& path, bool keepOthers = false);
    platform::Result EnsureSoundFont();
    // True when `path` is a readable regular file that FluidSynth loads as
    // a SoundFont.
    static bool LoadsSoundFont(const std::string& path);

    void SetSequence(std::shared_ptr<const MidiSequence> sequence);

    // FluidSynth reads these when it makes a synthesizer, so they hold
    // from the next Play on (which makes a fresh one; the SoundFont stays
    // loaded). Reverb and chorus are on, and bank select is FluidSynth's
    // default, until set. Auto counts as the default here: the caller
    // chooses the mode per file.
    void SetEffects(bool reverb, bool chorus);
    void SetBankSelect(BankSelect mode);

    // Starts the sequence from its beginning on a freshly reset synthesizer.
    platform::Result Play();
    // Ends the music: pedals up and every sounding note released, so that
    // the notes die away naturally.
    void Stop();
    bool Playing() const;
    // How many times Play has started a piece.
    uint64_t PlayCount() const;
    int64_t PositionTicks() const;
    int64_t LengthTicks() const;

    // Renders `frames` frames of both channels, adding to the buffers (all
    // MIDI channels mixed, also when they are kept apart).
    void Render(float* left, float* right, size_t frames);
    bool ChannelsApart() const { return m_channelsApart; }
    // The same, each MIDI channel into its own pair of buffers (kMidiChannels
    // of each side), adding to them. Only for a performance made with
    // channelsApart.
    void RenderChannels(float* const* left, float* const* right, size_t frames);

    // Real-time output (pre-listen mode).
    platform::Result OpenOutput();
    void CloseOutput();

private:
    Performance() = default;
    // `pairs` pairs of buffers: one, or one per MIDI channel.
    void RenderLocked(float* const* left, float* const* right, int pairs, size_t frames);
    void RenderOutput(float* left, float* right, size_t frames);
    // Replaces the playing synthesizer with a new one that plays the loaded
    // SoundFont, so that nothing of an earlier file (voices, reverb and
    // chorus state, controllers) reaches the next one.
    platform::Result RenewSynthLocked();
    void DropSynthLocked();
    void UnloadSoundFontLocked();
    platform::Result LoadSoundFontLocked(fluid_sfont_t*& sfont);

    mutable std::mutex m_mutex;
    fluid_settings_t* m_settings = nullptr;
    // The playing synthesizer.
    fluid_synth_t* m_synth = nullptr;
    // A silent synthesizer that only keeps the SoundFonts loaded, so that
    // a new playing synthesizer can take one without loading it again.
    fluid_settings_t* m_holderSettings = nullptr;
    fluid_synth_t* m_holder = nullptr;
    struct LoadedSoundFont {
        std::string path;
        fluid_sfont_t* sfont;
    };
    std::vector<LoadedSoundFont> m_loaded;
    // The chosen SoundFont once loaded, and the one the playing
    // synthesizer was given.
    fluid_sfont_t* m_sfont = nullptr;
    fluid_sfont_t* m_synthSfont = nullptr;
    bool m_keepLoaded = false;
    int m_sampleRate = 0;
    bool m_channelsApart = false;
    uint32_t m_channelsPlaying = 0;  // of the sequence: bit c when channel c has a note
    std::string m_soundFont;
    std::string m_loadedSoundFont;
    MidiScheduler m_scheduler;
    uint64_t m_playCount = 0;
    LookAheadLimiter m_outputLimiter;
    uint64_t m_outputPlayCount = 0;
    PreListenOutput m_output;
};

}  // namespace tonalbox::audio
