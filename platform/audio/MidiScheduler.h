#pragma once
// Plays a MidiSequence on a FluidSynth synthesizer on the sample clock:
// the owner renders in blocks and asks the scheduler how many frames it
// may render before the next event falls due, so every event reaches the
// synthesizer at its own sample position.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <fluidsynth.h>

#include "platform/audio/MidiSequence.h"

namespace tonalbox::audio {

class MidiScheduler {
public:
    void Load(std::shared_ptr<const MidiSequence> sequence, int sampleRate);
    void Unload();
    bool Loaded() const { return m_sequence != nullptr; }

    // Starts from the beginning.
    void Start();
    // Stops dispatching; the position stays where it was.
    void Halt() { m_playing = false; }
    bool Playing() const { return m_playing; }

    // Frames (at most `limit`) that may be rendered before the next event
    // falls due; `limit` when not playing.
    size_t FramesBeforeNextEvent(size_t limit) const;
    // Sends every event due at the current sample to the synthesizer.
    void DispatchDue(fluid_synth_t* synth);
    // Moves the clock on by `frames` rendered frames.
    void Advance(size_t frames);

    // Position and length in the file's ticks; the position never passes
    // the length and reaches it once the last event has sounded.
    int64_t PositionTicks() const;
    int64_t LengthTicks() const;

private:
    void Dispatch(fluid_synth_t* synth, const MidiEvent& e);

    std::shared_ptr<const MidiSequence> m_sequence;
    std::vector<uint64_t> m_eventSamples;
    std::vector<uint8_t> m_sysexScratch;
    int m_sampleRate = 0;
    uint64_t m_lengthSample = 0;
    uint64_t m_sample = 0;
    size_t m_next = 0;
    bool m_playing = false;
    bool m_started = false;
};

}  // namespace tonalbox::audio
