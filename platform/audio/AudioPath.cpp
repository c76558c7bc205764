#include "platform/audio/AudioPath.h"

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

AudioPath::AudioPath(Performance& performance, int pathType)
    : m_buffer(performance, pathType == kPathDynamicStereo ? 2 : 1) {}

HResult AudioPath::CreateStandard(Performance& performance, int pathType, bool activate,
                                  std::unique_ptr<AudioPath>& out) {
    out.reset();
    if (pathType != kPathDynamic3d && pathType != kPathDynamicMono && pathType != kPathDynamicStereo)
        return kInvalidArg;
    out.reset(new AudioPath(performance, pathType));
    out->Activate(activate);
    return kOk;
}

HResult AudioPath::GetBuffer(RenderBuffer** buffer) {
    if (buffer == nullptr) return kPointer;
    *buffer = &m_buffer;
    return kOk;
}

HResult AudioPath::Activate(bool active) {
    m_buffer.SetActive(active);
    return kOk;
}

}  // namespace tonalbox::audio
