#pragma once
// An effect inserted into a render buffer: it sees every block of audio
// that passes through the buffer, in the buffer's format: as 16-bit PCM at
// the buffer's output level (which it may change in place), or, when it
// takes floating point, as the synthesizer made it, before any level
// stage.

#include <cstddef>
#include <cstdint>

#include "platform/Result.h"
#include "platform/audio/AudioTypes.h"

namespace tonalbox::audio {

class IAudioEffect {
public:
    virtual ~IAudioEffect() = default;
    // The buffer's format, given once when the effect is inserted.
    virtual platform::Result SetFormat(const WaveFormatEx& format) = 0;
    // One block of interleaved samples (frames × channels).
    virtual void Process(int16_t* samples, size_t frames) = 0;
    // Whether the effect takes its blocks in floating point (ProcessFloat)
    // rather than as 16-bit PCM (Process). Asked for every block.
    virtual bool TakesFloat() const { return false; }
    virtual void ProcessFloat(const float* /*samples*/, size_t /*frames*/) {}
    // The MIDI channels (bit c for channel c, from 0) whose own audio the
    // effect takes besides the mix, from a performance that keeps them
    // apart. Each block of the mix is followed by one ProcessChannel per
    // channel taken, interleaved in the buffer's format, at the level the
    // effect takes the mix at: as the synthesizer made it when it takes
    // floating point, else with the gain the mix got on its way to 16-bit
    // (the fixed output level and the limiter's gain of the mix), so that
    // the channels add up to the mix.
    virtual uint32_t ChannelsTaken() const { return 0; }
    virtual void ProcessChannel(int /*channel*/, const float* /*samples*/, size_t /*frames*/) {}
    // The effect's interface `iid`, or null when it has none such.
    virtual void* GetInterface(const Guid& iid) = 0;
};

}  // namespace tonalbox::audio
