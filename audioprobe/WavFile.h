#pragma once
// Reads a WAV file as the tests and the benchmarks look at it: the header
// fields of the canonical layout (RIFF, a "fmt " chunk and the data chunk),
// where the data chunk starts, and the 16-bit samples from byte 56 on (the
// layout the wave capture effect writes).

#include <cstdint>
#include <string>
#include <vector>

namespace tonalbox::audioprobe {

class WavFile {
public:
    // Reads `path`. Returns false (and sets Error()) when the file cannot be
    // read or is not a RIFF/WAVE file with "fmt " and "data" chunks.
    bool Read(const std::string& path);
    const std::string& Error() const { return m_error; }

    // Header fields.
    uint64_t fileSize = 0;
    uint32_t riffSize = 0;        // bytes 4..7
    uint32_t fmtChunkSize = 0;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<std::string> chunkIds;  // in file order
    uint32_t dataOffset = 0;      // first sample byte of the data chunk
    uint32_t dataSize = 0;        // the data chunk's size field

    // Interleaved 16-bit samples read from byte 56 to the end of the file.
    std::vector<int16_t> samples;

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
    double Seconds() const { return sampleRate ? static_cast<double>(Frames()) / sampleRate : 0.0; }

    // Largest absolute sample value in frames [first, first + count)
    // (count clipped to the end), over all channels.
    int PeakAbs(size_t firstFrame = 0, size_t frameCount = SIZE_MAX) const;
    double Rms(size_t firstFrame = 0, size_t frameCount = SIZE_MAX) const;
    // First frame (from `fromFrame`) whose absolute value on some channel
    // exceeds `threshold`; SIZE_MAX when none.
    size_t FirstFrameAbove(int threshold, size_t fromFrame = 0) const;
    // Last such frame; SIZE_MAX when none.
    size_t LastFrameAbove(int threshold) const;

    static uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
    static uint32_t Le32(const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }

private:
    std::string m_error;
};

// The raw bytes of a file (empty when it cannot be read).
std::vector<uint8_t> ReadFileBytes(const std::string& path);

}  // namespace tonalbox::audioprobe
