#include "platform/audio/LoudnessNormalizer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::audio {

namespace {
constexpr size_t kReplayFrames = 4096;
// Frames read on either side of a run of loud blocks, so that the
// interpolation sees the audio around it.
constexpr size_t kContextFrames = 64;
// Bound of how far libebur128's interpolation raises a peak.
constexpr double kInterpolationRise = 2.0;
}  // namespace

LoudnessNormalizer::~LoudnessNormalizer() { End(); }

platform::Result LoudnessNormalizer::Begin(const std::string& nearPath, int channels, int sampleRate) {
    End();
    if ((channels != 1 && channels != 2) || sampleRate <= 0)
        return platform::Result::Fail(kInvalidArg, "loudness: no piece of " + std::to_string(channels) +
                                                       " channels at " + std::to_string(sampleRate) + " Hz");
    platform::Result spill = m_spill.Create(nearPath);
    if (!spill.ok()) return spill;
    m_state = ebur128_init(static_cast<unsigned>(channels), static_cast<unsigned long>(sampleRate), EBUR128_MODE_I);
    if (m_state == nullptr) {
        m_spill.Close();
        return platform::Result::Fail(kOutOfMemory, "loudness: the meter could not be made");
    }
    // A mono file plays on both speakers: it counts as loud as the same
    // audio on both channels of a stereo file.
    if (channels == 1) ebur128_set_channel(m_state, 0, EBUR128_DUAL_MONO);
    m_channels = channels;
    m_sampleRate = sampleRate;
    m_frames = 0;
    m_blockPeaks.clear();
    m_failed = false;
    return platform::Result::Ok();
}

void LoudnessNormalizer::Add(const float* samples, size_t frames) {
    if (m_state == nullptr || frames == 0) return;
    if (!m_spill.Write(samples, frames * static_cast<size_t>(m_channels))) return;
    if (ebur128_add_frames_float(m_state, samples, frames) != EBUR128_SUCCESS) m_failed = true;
    const size_t channels = static_cast<size_t>(m_channels);
    for (size_t frame = 0; frame < frames;) {
        const size_t block = static_cast<size_t>(m_frames / kPeakBlockFrames);
        if (block == m_blockPeaks.size()) m_blockPeaks.push_back(0.0f);
        const size_t n = std::min(frames - frame, kPeakBlockFrames - static_cast<size_t>(m_frames % kPeakBlockFrames));
        float peak = m_blockPeaks[block];
        const float* p = samples + frame * channels;
        for (size_t i = 0; i < n * channels; ++i) peak = std::max(peak, std::fabs(p[i]));
        m_blockPeaks[block] = peak;
        frame += n;
        m_frames += n;
    }
}

double LoudnessNormalizer::TruePeakAbove(float floor) {
    const size_t channels = static_cast<size_t>(m_channels);
    double truePeak = 0.0;
    std::vector<float> buffer;
    for (size_t first = 0; first < m_blockPeaks.size(); ++first) {
        if (!(m_blockPeaks[first] > floor)) continue;
        size_t last = first;
        while (last + 1 < m_blockPeaks.size() && m_blockPeaks[last + 1] > floor) ++last;
        // A run of loud blocks, with quiet audio (or the piece's ends) around.
        const uint64_t from = first * kPeakBlockFrames > kContextFrames ? first * kPeakBlockFrames - kContextFrames : 0;
        const uint64_t to = std::min<uint64_t>(m_frames, (last + 1) * kPeakBlockFrames + kContextFrames);
        ebur128_state* state = ebur128_init(static_cast<unsigned>(m_channels), static_cast<unsigned long>(m_sampleRate),
                                            EBUR128_MODE_TRUE_PEAK);
        if (state == nullptr || !m_spill.Seek(from * channels)) {
            if (state != nullptr) ebur128_destroy(&state);
            m_failed = true;
            return truePeak;
        }
        buffer.resize(kReplayFrames * channels);
        for (uint64_t at = from; at < to;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(to - at, kReplayFrames));
            if (m_spill.Read(buffer.data(), n * channels) != n * channels) {
                m_failed = true;
                break;
            }
            ebur128_add_frames_float(state, buffer.data(), n);
            at += n;
        }
        for (size_t channel = 0; channel < channels; ++channel) {
            double peak = 0.0;
            ebur128_true_peak(state, static_cast<unsigned>(channel), &peak);
            truePeak = std::max(truePeak, peak);
        }
        ebur128_destroy(&state);
        first = last;
    }
    return truePeak;
}

LoudnessNormalizer::Measurement LoudnessNormalizer::Measure(double targetLufs) {
    Measurement m;
    if (m_state == nullptr) return m;
    m.seconds = static_cast<double>(m_frames) / m_sampleRate;
    if (ebur128_loudness_global(m_state, &m.loudnessLufs) != EBUR128_SUCCESS) m.loudnessLufs = std::nan("");
    for (float peak : m_blockPeaks) m.peak = std::max(m.peak, static_cast<double>(peak));
    // Where the peak is left out, the gain is the loudness's alone.
    const double gain = GainFor(Measurement{m.loudnessLufs, 0.0, m.seconds}, targetLufs);
    if (gain == 1.0 && !(m.seconds >= kMinSeconds && std::isfinite(m.loudnessLufs))) return m;
    const double ceiling = std::pow(10.0, kCeilingDbtp / 20.0);
    m.peak = std::max(m.peak, TruePeakAbove(static_cast<float>(ceiling / gain / kInterpolationRise)));
    return m;
}

double LoudnessNormalizer::GainFor(const Measurement& m, double targetLufs) {
    if (!(m.seconds >= kMinSeconds) || !std::isfinite(m.loudnessLufs) || !std::isfinite(targetLufs)) return 1.0;
    double gainDb = std::min(targetLufs - m.loudnessLufs, kMaxGainDb);
    if (std::isfinite(m.peak) && m.peak > 0.0) gainDb = std::min(gainDb, kCeilingDbtp - 20.0 * std::log10(m.peak));
    const double gain = std::pow(10.0, gainDb / 20.0);
    return std::isfinite(gain) && gain > 0.0 ? gain : 1.0;
}

platform::Result LoudnessNormalizer::Replay(double gain, const BlockWriter& write) {
    if (m_state == nullptr) return platform::Result::Ok();
    const size_t channels = static_cast<size_t>(m_channels);
    platform::Result replayed = m_spill.ReplayPcm16(static_cast<float>(gain), channels, [&](int16_t* pcm, size_t count) {
        return write(pcm, count / channels);
    });
    if (!replayed.ok()) return replayed;
    if (Failed()) return platform::Result::Fail(kWriteFault, "loudness: some audio could not be kept or measured");
    return platform::Result::Ok();
}

void LoudnessNormalizer::End() {
    if (m_state != nullptr) ebur128_destroy(&m_state);
    m_state = nullptr;
    m_spill.Close();
    m_blockPeaks.clear();
    m_blockPeaks.shrink_to_fit();
}

}  // namespace tonalbox::audio
