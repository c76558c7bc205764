#include "platform/audio/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace tonalbox::audio {

PeakLimiter::PeakLimiter(int sampleRate)
    : m_release(static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * std::max(sampleRate, 1))))) {}

void PeakLimiter::Reset() {
    m_gain = 1.0f;
    m_minGain = 1.0f;
    m_limitedFrames = 0;
}

void PeakLimiter::Process(float* left, float* right, size_t frames) {
    const bool mono = left == right;
    for (size_t i = 0; i < frames; ++i) {
        float gain = m_gain + (1.0f - m_gain) * m_release;
        if (gain > 0.9999f) gain = 1.0f;
        const float peak = mono ? std::fabs(left[i]) : std::max(std::fabs(left[i]), std::fabs(right[i]));
        if (peak * gain > kCeiling) gain = kCeiling / peak;
        m_gain = gain;
        if (gain < 1.0f) {
            left[i] *= gain;
            if (!mono) right[i] *= gain;
            ++m_limitedFrames;
            m_minGain = std::min(m_minGain, gain);
        }
    }
}

}  // namespace tonalbox::audio
