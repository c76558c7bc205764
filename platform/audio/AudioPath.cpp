#include "platform/audio/AudioPath.h"

#include <string>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

AudioPath::AudioPath(Performance& performance, int pathType)
    : m_buffer(performance, pathType == kPathDynamicStereo ? 2 : 1) {}

platform::Result AudioPath::CreateStandard(Performance& performance, int pathType, bool activate,
                                           std::unique_ptr<AudioPath>& out) {
    out.reset();
    if (pathType != kPathDynamic3d && pathType != kPathDynamicMono && pathType != kPathDynamicStereo)
        return platform::Result::Fail(kInvalidArg, "audio path: no path type " + std::to_string(pathType));
    out.reset(new AudioPath(performance, pathType));
    out->Activate(activate);
    return platform::Result::Ok();
}

}  // namespace tonalbox::audio
