#include "platform/wavecapture/StemCapture.h"

#include <ebur128.h>

#include <limits>

#include "platform/audio/AudioErrors.h"
#include "platform/audio/ChannelUse.h"
#include "platform/wavecapture/WaveCaptureFx.h"

namespace tonalbox::wavecapture {

namespace {

platform::Result WriteFault(const std::string& path) {
    return platform::Result::Fail(audio::kWriteFault, "stems: can not write " + path);
}

}  // namespace

platform::Result StemCapture::Add(int channel, const std::string& path, const audio::WaveFormatEx& format) {
    if (channel < 0 || channel >= audio::kMidiChannels || (m_channels & (1u << channel)) != 0)
        return platform::Result::Fail(audio::kInvalidArg, "stems: no channel " + std::to_string(channel) + " to keep");
    auto stem = std::make_unique<Stem>();
    uint8_t header[kWaveHeaderSize];
    WaveCaptureFx::BuildHeader(format, 0, header);
    stem->file = std::fopen(path.c_str(), "wb");
    if (stem->file == nullptr || std::fwrite(header, 1, sizeof header, stem->file) != sizeof header) {
        if (stem->file != nullptr) std::fclose(stem->file);
        return platform::SystemFailure("stems: can not create " + path);
    }
    stem->channel = channel;
    stem->path = path;
    m_format = format;
    m_channels |= 1u << channel;
    m_stems.push_back(std::move(stem));
    platform::Result kept = ShareBudget();
    if (!kept.ok()) {
        std::fclose(m_stems.back()->file);
        m_stems.pop_back();
        m_channels &= ~(1u << channel);
    }
    return kept;
}

// Each store is made anew with its part of the budget; none holds a
// sample yet.
platform::Result StemCapture::ShareBudget() {
    const uint64_t budget = StoreBudget(static_cast<int>(m_stems.size()));
    for (auto& stem : m_stems) {
        if (stem->samples && stem->samples->Written() > 0) continue;
        stem->samples = std::make_unique<audio::SampleSpillFile>(budget);
        platform::Result kept = stem->samples->Create(stem->path);
        if (!kept.ok()) return kept;
    }
    return platform::Result::Ok();
}

void StemCapture::Process(int channel, const float* samples, size_t frames) {
    for (auto& stem : m_stems)
        if (stem->channel == channel) stem->samples->Write(samples, frames * m_format.nChannels);
}

platform::Result StemCapture::Finish(double gain) {
    m_loudness.clear();
    platform::Result result = platform::Result::Ok();
    for (auto& stem : m_stems) {
        platform::Result written = Write(*stem, static_cast<float>(gain));
        if (result.ok() && !written.ok()) result = std::move(written);
    }
    Clear();
    return result;
}

// The samples at the gain, rounded as the mix's are, little-endian, with
// the loudness measured on what is written.
platform::Result StemCapture::Write(Stem& stem, float gain) {
    const size_t channels = m_format.nChannels;
    ebur128_state* meter =
        ebur128_init(static_cast<unsigned>(channels), m_format.nSamplesPerSec, EBUR128_MODE_I);
    if (meter != nullptr && channels == 1) ebur128_set_channel(meter, 0, EBUR128_DUAL_MONO);
    bool ok = meter != nullptr && !stem.samples->Failed() && stem.samples->Written() * 2 <= kMaxWaveDataBytes;
    ok = ok && stem.samples
                   ->ReplayPcm16(gain, channels,
                                 [&](int16_t* pcm, size_t count) {
                                     return ebur128_add_frames_short(meter, pcm, count / channels) ==
                                                EBUR128_SUCCESS &&
                                            WaveCaptureFx::WriteSamples(stem.file, pcm, count) == count;
                                 })
                   .ok();
    double lufs = -std::numeric_limits<double>::infinity();
    if (ok && ebur128_loudness_global(meter, &lufs) != EBUR128_SUCCESS) ok = false;
    if (meter != nullptr) ebur128_destroy(&meter);
    uint8_t header[kWaveHeaderSize];
    WaveCaptureFx::BuildHeader(m_format, static_cast<uint32_t>(ok ? stem.samples->Written() * 2 : 0), header);
    if (std::fseek(stem.file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, stem.file) != sizeof header)
        ok = false;
    if (std::fclose(stem.file) != 0) ok = false;
    stem.file = nullptr;
    if (!ok) return WriteFault(stem.path);
    m_loudness.emplace_back(stem.channel, lufs);
    return platform::Result::Ok();
}

bool StemCapture::Loudness(int channel, double* lufs) const {
    for (const auto& [c, value] : m_loudness) {
        if (c != channel) continue;
        *lufs = value;
        return true;
    }
    return false;
}

void StemCapture::Clear() {
    for (auto& stem : m_stems)
        if (stem->file != nullptr) std::fclose(stem->file);
    m_stems.clear();
    m_channels = 0;
}

}  // namespace tonalbox::wavecapture
