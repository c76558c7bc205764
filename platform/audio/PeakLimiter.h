#pragma once
// A peak limiter for the last stage before 16-bit conversion: where the
// louder channel of a frame would pass the ceiling (-1 dBFS) the gain drops
// at once to keep it there, then recovers smoothly (release ~250 ms). Both
// channels get the same gain. Deterministic: the same input always gives
// the same output.

#include <cstddef>
#include <cstdint>

namespace tonalbox::audio {

class PeakLimiter {
public:
    static constexpr float kCeiling = 0.891251f;  // -1 dBFS
    static constexpr double kReleaseSeconds = 0.25;

    explicit PeakLimiter(int sampleRate = 44100);
    void Reset();
    // Limits `frames` frames in place (right may equal left for mono).
    void Process(float* left, float* right, size_t frames);

    float Gain() const { return m_gain; }
    // Frames processed with the gain below 1 since the last Reset.
    uint64_t LimitedFrames() const { return m_limitedFrames; }
    // Smallest gain applied since the last Reset.
    float MinimumGain() const { return m_minGain; }

private:
    float m_release;
    float m_gain = 1.0f;
    float m_minGain = 1.0f;
    uint64_t m_limitedFrames = 0;
};

}  // namespace tonalbox::audio
