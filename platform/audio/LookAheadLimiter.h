#pragma once
// A look-ahead peak limiter for audio that must stay under a fixed ceiling
// (-1 dBFS) without a separate measuring pass: the real-time output and
// renderings without loudness normalisation. The audio is delayed by the
// look-ahead (5 ms); a transient's gain reduction starts that long before
// it and ramps down linearly, so the gain never jumps from one sample to
// the next; it recovers smoothly afterwards (release ~250 ms). Both
// channels get the same gain. Deterministic: the same input always gives
// the same output.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace tonalbox::audio {

class LookAheadLimiter {
public:
    static constexpr float kCeiling = 0.891251f;  // -1 dBFS
    static constexpr double kLookAheadSeconds = 0.005;
    static constexpr double kReleaseSeconds = 0.25;

    explicit LookAheadLimiter(int sampleRate = 44100);
    // Back to rest: unity gain, an empty (silent) delay line.
    void Reset();
    // Limits `frames` frames in place (right may equal left for mono). The
    // output lags the input by DelayFrames(). `applied`, when given, gets
    // the gain each output frame was given (before the clip at the
    // ceiling), so that what the input was summed from can be given the same.
    void Process(float* left, float* right, size_t frames, float* applied = nullptr);

    size_t DelayFrames() const { return m_length; }
    // Smallest gain applied since the last Reset.
    float MinimumGain() const { return m_minGain; }

private:
    size_t m_length;  // look-ahead window in frames
    double m_release;
    // Delay line of the audio, and of the gains the window averages.
    std::vector<float> m_delayLeft, m_delayRight, m_held;
    size_t m_pos = 0;
    double m_heldSum = 0.0;
    // Window minimum of the needed gains: (frame number, gain), increasing.
    std::deque<std::pair<uint64_t, float>> m_window;
    uint64_t m_frame = 0;
    double m_gain = 1.0;  // after the release
    float m_minGain = 1.0f;
};

}  // namespace tonalbox::audio
