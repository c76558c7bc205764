#include "platform/wavecapture/WaveCaptureFx.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/audio/AudioErrors.h"

namespace tonalbox::wavecapture {

namespace {

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool SameFormat(const WaveFormatEx& a, const WaveFormatEx& b) {
    return a.wFormatTag == b.wFormatTag && a.nChannels == b.nChannels && a.nSamplesPerSec == b.nSamplesPerSec &&
           a.wBitsPerSample == b.wBitsPerSample && a.nBlockAlign == b.nBlockAlign;
}

bool IsPcm16(const WaveFormatEx& f) {
    return f.wFormatTag == audio::kWaveFormatPcm && f.wBitsPerSample == 16 && (f.nChannels == 1 || f.nChannels == 2) &&
           f.nSamplesPerSec > 0 && f.nBlockAlign == f.nChannels * 2;
}

}  // namespace

WaveCaptureFx::~WaveCaptureFx() { StopCapture(); }

void WaveCaptureFx::BuildHeader(const WaveFormatEx& format, uint32_t dataBytes, uint8_t out[kWaveHeaderSize]) {
    const uint32_t blockAlign = format.nBlockAlign != 0 ? format.nBlockAlign : 1;
    std::memcpy(out, "RIFF", 4);
    PutLe32(out + 4, kWaveHeaderSize - 8 + dataBytes);
    std::memcpy(out + 8, "WAVE", 4);
    std::memcpy(out + 12, "fmt ", 4);
    PutLe32(out + 16, 16);
    PutLe16(out + 20, format.wFormatTag);
    PutLe16(out + 22, format.nChannels);
    PutLe32(out + 24, format.nSamplesPerSec);
    PutLe32(out + 28, format.nSamplesPerSec * blockAlign);
    PutLe16(out + 32, static_cast<uint16_t>(blockAlign));
    PutLe16(out + 34, format.wBitsPerSample);
    std::memcpy(out + 36, "fact", 4);
    PutLe32(out + 40, 4);
    PutLe32(out + 44, dataBytes / blockAlign);
    std::memcpy(out + 48, "data", 4);
    PutLe32(out + 52, dataBytes);
}

platform::Result WaveCaptureFx::SetFormat(const WaveFormatEx& format) {
    if (!IsPcm16(format)) return platform::Result::Fail(audio::kBadFormat, "wave capture: the buffer is not 16-bit PCM");
    m_bufferFormat = format;
    m_haveBufferFormat = true;
    return platform::Result::Ok();
}

HResult WaveCaptureFx::StartCapture(const char* path, const WaveFormatEx* format) {
    if (m_file != nullptr) StopCapture();
    if (path == nullptr || format == nullptr) return audio::kPointer;
    if (!IsPcm16(*format)) return audio::kBadFormat;
    if (m_haveBufferFormat && !SameFormat(*format, m_bufferFormat)) return audio::kBadFormat;
    m_stems.Clear();
    std::FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return audio::kCannotOpen;
    m_format = *format;
    uint8_t header[kWaveHeaderSize];
    BuildHeader(m_format, 0, header);
    if (std::fwrite(header, 1, sizeof header, f) != sizeof header) {
        std::fclose(f);
        return audio::kWriteFault;
    }
    if (m_normalize) {
        const platform::Result begun =
            m_normalizer.Begin(path, m_format.nChannels, static_cast<int>(m_format.nSamplesPerSec));
        if (!begun.ok()) {
            std::fclose(f);
            return begun.code;
        }
    }
    m_file = f;
    m_path = path;
    m_loudness = CaptureLoudness{};
    m_dataBytes = 0;
    m_writeFailed = false;
    return audio::kOk;
}

HResult WaveCaptureFx::SetLoudness(bool normalize, double targetLufs) {
    if (normalize && !std::isfinite(targetLufs)) return audio::kInvalidArg;
    m_normalize = normalize;
    m_targetLufs = targetLufs;
    return audio::kOk;
}

HResult WaveCaptureFx::GetLoudness(CaptureLoudness* out) {
    if (out == nullptr) return audio::kPointer;
    *out = m_file != nullptr ? CaptureLoudness{} : m_loudness;
    return audio::kOk;
}

HResult WaveCaptureFx::StopCapture() {
    if (m_file == nullptr) return audio::kFalse;
    bool ok = true;
    // Without normalising the channels already have the mix's gain.
    double gain = 1.0;
    if (m_normalizer.Active()) {
        const audio::LoudnessNormalizer::Measurement measured = m_normalizer.Measure(m_targetLufs);
        gain = audio::LoudnessNormalizer::GainFor(measured, m_targetLufs);
        m_loudness = CaptureLoudness{true, measured.loudnessLufs, 20.0 * std::log10(measured.peak),
                                     20.0 * std::log10(gain)};
        ok = m_normalizer
                 .Replay(gain,
                         [this](int16_t* samples, size_t frames) {
                             WritePcm(samples, frames);
                             return !m_writeFailed;
                         })
                 .ok();
        m_normalizer.End();
    }
    if (!m_stems.Finish(gain).ok()) ok = false;
    uint8_t header[kWaveHeaderSize];
    BuildHeader(m_format, static_cast<uint32_t>(m_dataBytes), header);
    if (m_writeFailed) ok = false;
    if (std::fseek(m_file, 0, SEEK_SET) != 0 || std::fwrite(header, 1, sizeof header, m_file) != sizeof header)
        ok = false;
    if (std::fclose(m_file) != 0) ok = false;
    m_file = nullptr;
    m_path.clear();
    return ok ? audio::kOk : audio::kWriteFault;
}

void WaveCaptureFx::Process(int16_t* samples, size_t frames) {
    if (m_normalizer.Active()) {
        m_floatBlock.resize(frames * m_format.nChannels);
        for (size_t i = 0; i < m_floatBlock.size(); ++i) m_floatBlock[i] = samples[i] / 32768.0f;
        ProcessFloat(m_floatBlock.data(), frames);
        return;
    }
    WritePcm(samples, frames);
}

void WaveCaptureFx::ProcessFloat(const float* samples, size_t frames) {
    if (m_file != nullptr) m_normalizer.Add(samples, frames);
}

HResult WaveCaptureFx::CaptureChannel(int channel, const char* path) {
    if (path == nullptr) return audio::kPointer;
    if (m_file == nullptr) return audio::kInvalidCall;
    return m_stems.Add(channel, path, m_format).ok() ? audio::kOk : audio::kCannotOpen;
}

HResult WaveCaptureFx::ChannelLoudness(int channel, double* lufs) {
    if (lufs == nullptr) return audio::kPointer;
    return m_stems.Loudness(channel, lufs) ? audio::kOk : audio::kFalse;
}

void WaveCaptureFx::ProcessChannel(int channel, const float* samples, size_t frames) {
    if (m_file != nullptr) m_stems.Process(channel, samples, frames);
}

void WaveCaptureFx::WritePcm(const int16_t* samples, size_t frames) {
    if (m_file == nullptr || m_writeFailed || frames == 0) return;
    const size_t channels = m_format.nChannels;
    uint64_t bytes = static_cast<uint64_t>(frames) * channels * 2;
    if (m_dataBytes + bytes > kMaxWaveDataBytes) {
        m_writeFailed = true;  // the file cannot hold the rest
        const uint64_t room = (kMaxWaveDataBytes - m_dataBytes) / (channels * 2) * (channels * 2);
        bytes = room;
        frames = static_cast<size_t>(room / (channels * 2));
        if (frames == 0) return;
    }
    const size_t count = frames * channels;
    const size_t written = WriteSamples(m_file, samples, count);
    m_dataBytes += written * 2;
    if (written != count) m_writeFailed = true;
}

size_t WaveCaptureFx::WriteSamples(std::FILE* file, const int16_t* samples, size_t count) {
    if constexpr (std::endian::native == std::endian::little) {
        return std::fwrite(samples, 2, count, file);
    } else {
        std::vector<uint8_t> le(count * 2);
        for (size_t i = 0; i < count; ++i) PutLe16(&le[2 * i], static_cast<uint16_t>(samples[i]));
        return std::fwrite(le.data(), 2, count, file);
    }
}

void* WaveCaptureFx::GetInterface(const Guid& iid) {
    if (iid == IID_IWaveCaptureFx) return static_cast<IWaveCaptureFx*>(this);
    return nullptr;
}

void RegisterWaveCaptureFx(audio::EffectRegistry& registry) {
    registry.Register(CLSID_WaveCaptureFx, [] { return std::make_unique<WaveCaptureFx>(); });
}

}  // namespace tonalbox::wavecapture
