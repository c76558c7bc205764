#pragma once
// An effect inserted into a render buffer: it sees every block of 16-bit
// PCM that passes through the buffer, in the buffer's format, and may
// change it in place.

#include <cstddef>
#include <cstdint>

#include "platform/audio/AudioTypes.h"

namespace tonalbox::audio {

class IAudioEffect {
public:
    virtual ~IAudioEffect() = default;
    // The buffer's format, given once when the effect is inserted.
    virtual HResult SetFormat(const WaveFormatEx& format) = 0;
    // One block of interleaved samples (frames × channels).
    virtual void Process(int16_t* samples, size_t frames) = 0;
    // The effect's interface `iid`, or null when it has none such.
    virtual void* GetInterface(const Guid& iid) = 0;
};

}  // namespace tonalbox::audio
