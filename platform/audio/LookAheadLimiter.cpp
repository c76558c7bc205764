#include "platform/audio/LookAheadLimiter.h"

#include <algorithm>
#include <cmath>

namespace tonalbox::audio {

LookAheadLimiter::LookAheadLimiter(int sampleRate)
    : m_length(std::max<size_t>(1, static_cast<size_t>(std::lround(kLookAheadSeconds * std::max(sampleRate, 1))))),
      m_release(1.0 - std::exp(-1.0 / (kReleaseSeconds * std::max(sampleRate, 1)))) {
    Reset();
}

void LookAheadLimiter::Reset() {
    m_delayLeft.assign(m_length, 0.0f);
    m_delayRight.assign(m_length, 0.0f);
    m_held.assign(m_length, 1.0f);
    m_heldSum = static_cast<double>(m_length);
    m_pos = 0;
    m_window.clear();
    m_frame = 0;
    m_gain = 1.0;
    m_minGain = 1.0f;
}

// The gain of each output frame is the mean of the last m_length held
// gains, and each held gain is at most the smallest gain needed by the
// m_length + 1 input frames up to it; so the output frame, which entered
// m_length frames ago, gets at most the gain it needs.
void LookAheadLimiter::Process(float* left, float* right, size_t frames, float* appliedGains) {
    const bool mono = left == right;
    for (size_t i = 0; i < frames; ++i) {
        const float inLeft = left[i];
        const float inRight = mono ? inLeft : right[i];
        const float peak = std::max(std::fabs(inLeft), std::fabs(inRight));
        const float needed = peak > kCeiling ? kCeiling / peak : 1.0f;

        while (!m_window.empty() && m_window.back().second >= needed) m_window.pop_back();
        m_window.emplace_back(m_frame, needed);
        while (m_window.front().first + m_length < m_frame) m_window.pop_front();
        ++m_frame;

        double gain = m_gain + (1.0 - m_gain) * m_release;
        if (gain > 0.99999) gain = 1.0;
        m_gain = std::min<double>(gain, m_window.front().second);

        m_heldSum += m_gain - m_held[m_pos];
        m_held[m_pos] = static_cast<float>(m_gain);
        const float applied = std::min(1.0f, static_cast<float>(m_heldSum / static_cast<double>(m_length)));
        m_minGain = std::min(m_minGain, applied);
        if (appliedGains != nullptr) appliedGains[i] = applied;

        const float outLeft = m_delayLeft[m_pos] * applied;
        const float outRight = m_delayRight[m_pos] * applied;
        m_delayLeft[m_pos] = inLeft;
        m_delayRight[m_pos] = inRight;
        m_pos = m_pos + 1 == m_length ? 0 : m_pos + 1;

        // Rounding in the running mean must not let a sample through.
        left[i] = std::clamp(outLeft, -kCeiling, kCeiling);
        if (!mono) right[i] = std::clamp(outRight, -kCeiling, kCeiling);
    }
}

}  // namespace tonalbox::audio
