#pragma once
// Writes the WAV files the encoder reads in tests and benchmarks: 16-bit
// PCM whose samples start at byte 56 (RIFF header, a 16-byte fmt chunk, a
// fact chunk, the data chunk header), as the wave capture writes them.

#include <cstdint>
#include <string>
#include <vector>

namespace tonalbox::audioprobe {

class WavTestWriter {
public:
    static constexpr std::size_t kHeaderSize = 56;

    // Interleaved 16-bit samples. Returns false when the file cannot be
    // written completely.
    static bool Write(const std::string& path, int sampleRate, int channels,
                      const std::vector<int16_t>& samples);

    // Raw sample bytes after the header, any count (an odd one too).
    static bool WriteBytes(const std::string& path, int sampleRate, int channels,
                           const std::vector<uint8_t>& data);

    // A deterministic signal with some musical content: a sequence of
    // chords with decaying notes and a little noise; the channels differ.
    // Interleaved, `seconds` long.
    static std::vector<int16_t> TestSignal(int sampleRate, int channels, double seconds);
};

}  // namespace tonalbox::audioprobe
