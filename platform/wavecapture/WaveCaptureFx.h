#pragma once
// The wave capture effect: an effect of render buffers that writes the
// audio passing through it into a WAV file. The file is RIFF/WAVE with a
// 16-byte "fmt " chunk, a 4-byte "fact" chunk (the frame count) and the
// "data" chunk, so the 16-bit samples begin at byte 56; the sizes are set
// when the capture stops. A normalising capture takes the audio in
// floating point, keeps it (in memory, past the normaliser's budget in a
// temporary file next to the WAV file) and writes the samples, at the one
// gain its loudness asks for, when it stops. MIDI channels asked for are
// written the same way into files of their own.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio/EffectRegistry.h"
#include "platform/audio/IAudioEffect.h"
#include "platform/audio/LoudnessNormalizer.h"
#include "platform/wavecapture/IWaveCaptureFx.h"
#include "platform/wavecapture/StemCapture.h"

namespace tonalbox::wavecapture {

class WaveCaptureFx final : public audio::IAudioEffect, public IWaveCaptureFx {
public:
    WaveCaptureFx() = default;
    ~WaveCaptureFx() override;
    WaveCaptureFx(const WaveCaptureFx&) = delete;
    WaveCaptureFx& operator=(const WaveCaptureFx&) = delete;

    // IWaveCaptureFx. StartCapture finishes a capture still running, then
    // creates the file; the format must be the buffer's (16-bit PCM).
    // kCannotOpen when the file cannot be created (the audio keeps
    // flowing). StopCapture returns 1 when no capture runs and kWriteFault when some
    // audio could not be kept or written. SetLoudness applies from the
    // next StartCapture; a new effect writes the audio as it comes.
    HResult StartCapture(const char* path, const WaveFormatEx* format) override;
    HResult StopCapture() override;
    HResult SetLoudness(bool normalize, double targetLufs) override;
    HResult CaptureChannel(int channel, const char* path) override;
    HResult ChannelLoudness(int channel, double* lufs) override;
    HResult GetLoudness(CaptureLoudness* out) override;

    // IAudioEffect.
    platform::Result SetFormat(const WaveFormatEx& format) override;
    void Process(int16_t* samples, size_t frames) override;
    void* GetInterface(const Guid& iid) override;
    bool TakesFloat() const override { return m_normalizer.Active(); }
    void ProcessFloat(const float* samples, size_t frames) override;
    uint32_t ChannelsTaken() const override { return m_file != nullptr ? m_stems.Channels() : 0; }
    void ProcessChannel(int channel, const float* samples, size_t frames) override;

    bool Capturing() const { return m_file != nullptr; }

    // The 56-byte header for `dataBytes` bytes of samples.
    static void BuildHeader(const WaveFormatEx& format, uint32_t dataBytes, uint8_t out[kWaveHeaderSize]);
    // Writes `count` 16-bit samples to `file` little-endian, as a WAV file
    // holds them; the number written.
    static size_t WriteSamples(std::FILE* file, const int16_t* samples, size_t count);

private:
    void WritePcm(const int16_t* samples, size_t frames);

    WaveFormatEx m_bufferFormat{};
    bool m_haveBufferFormat = false;
    WaveFormatEx m_format{};
    std::FILE* m_file = nullptr;
    uint64_t m_dataBytes = 0;
    bool m_writeFailed = false;
    std::string m_path;
    bool m_normalize = false;
    double m_targetLufs = audio::LoudnessNormalizer::kDefaultTargetLufs;
    audio::LoudnessNormalizer m_normalizer;
    std::vector<float> m_floatBlock;  // 16-bit audio on its way to the normaliser
    StemCapture m_stems;
    CaptureLoudness m_loudness;
};

// Registers the effect class under CLSID_WaveCaptureFx.
void RegisterWaveCaptureFx(audio::EffectRegistry& registry);

}  // namespace tonalbox::wavecapture
