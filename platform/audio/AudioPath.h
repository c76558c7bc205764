#pragma once
// A render audio path: a standard path of one channel (mono) or two
// (stereo) whose sound buffer feeds the effect chain. It is made inactive;
// activating it lets the rendered audio flow through the buffer's effects.

#include <memory>

#include "platform/Result.h"
#include "platform/audio/Performance.h"
#include "platform/audio/RenderBuffer.h"

namespace tonalbox::audio {

class AudioPath {
public:
    // Path types 6 (3D, one channel), 7 (mono) and 8 (stereo).
    static platform::Result CreateStandard(Performance& performance, int pathType, bool activate,
                                           std::unique_ptr<AudioPath>& out);

    // The path's sound buffer.
    RenderBuffer& Buffer() { return m_buffer; }
    void Activate(bool active) { m_buffer.SetActive(active); }
    bool Active() const { return m_buffer.Active(); }

private:
    AudioPath(Performance& performance, int pathType);
    RenderBuffer m_buffer;
};

}  // namespace tonalbox::audio
