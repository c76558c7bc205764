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
    // The effect's interface `iid`, or null when it has none such.
    virtual void* GetInterface(const Guid& iid) = 0;
};

}  // namespace tonalbox::audio
