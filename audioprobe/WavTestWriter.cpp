#include "audioprobe/WavTestWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace tonalbox::audioprobe {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::vector<uint8_t> Header(int sampleRate, int channels, std::size_t dataBytes) {
    const auto data = static_cast<uint32_t>(dataBytes);
    const auto blockAlign = static_cast<uint16_t>(channels * 2);
    std::vector<uint8_t> h;
    PutTag(h, "RIFF");
    PutU32(h, static_cast<uint32_t>(WavTestWriter::kHeaderSize - 8) + data);
    PutTag(h, "WAVE");
    PutTag(h, "fmt ");
    PutU32(h, 16);
    PutU16(h, 1);  // PCM
    PutU16(h, static_cast<uint16_t>(channels));
    PutU32(h, static_cast<uint32_t>(sampleRate));
    PutU32(h, static_cast<uint32_t>(sampleRate) * blockAlign);
    PutU16(h, blockAlign);
    PutU16(h, 16);
    PutTag(h, "fact");
    PutU32(h, 4);
    PutU32(h, blockAlign ? data / blockAlign : 0);
    PutTag(h, "data");
    PutU32(h, data);
    return h;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

bool WriteFile(const std::string& path, const std::vector<uint8_t>& header, const void* data,
               std::size_t bytes) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    if (std::fwrite(header.data(), 1, header.size(), file.get()) != header.size()) return false;
    if (bytes > 0 && std::fwrite(data, 1, bytes, file.get()) != bytes) return false;
    return std::fclose(file.release()) == 0;
}

}  // namespace

bool WavTestWriter::Write(const std::string& path, int sampleRate, int channels,
                          const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (int16_t s : samples) PutU16(bytes, static_cast<uint16_t>(s));
    return WriteBytes(path, sampleRate, channels, bytes);
}

bool WavTestWriter::WriteBytes(const std::string& path, int sampleRate, int channels,
                               const std::vector<uint8_t>& data) {
    return WriteFile(path, Header(sampleRate, channels, data.size()), data.data(), data.size());
}

std::vector<int16_t> WavTestWriter::TestSignal(int sampleRate, int channels, double seconds) {
    const long frames = std::lround(seconds * sampleRate);
    std::vector<int16_t> out(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels));
    // Roots of a few chords (Hz); each chord lasts half a second.
    static const double kRoots[] = {220.0, 174.61, 196.0, 261.63, 246.94, 164.81, 293.66, 130.81};
    const double kPi = std::acos(-1.0);
    const long chordFrames = std::max(1L, static_cast<long>(sampleRate / 2));
    uint32_t noise = 12345;
    for (long i = 0; i < frames; ++i) {
        const long chord = i / chordFrames;
        const double t = static_cast<double>(i % chordFrames) / sampleRate;
        const double root = kRoots[chord % 8];
        const double envelope = std::exp(-3.0 * t);
        for (int c = 0; c < channels; ++c) {
            // Root, third and fifth with two overtones; the right channel
            // is a little brighter and detuned.
            const double detune = 1.0 + 0.002 * c;
            double v = 0.0;
            const double notes[] = {1.0, 1.2599, 1.4983};
            for (double ratio : notes) {
                const double f = root * ratio * detune;
                const double phase = 2.0 * kPi * f * (static_cast<double>(i) / sampleRate);
                v += std::sin(phase) + (0.3 + 0.1 * c) * std::sin(2 * phase) + 0.15 * std::sin(3 * phase);
            }
            noise = noise * 1664525u + 1013904223u;
            const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.02;
            const double sample = (0.18 * envelope * v + hiss) * 32767.0;
            out[static_cast<std::size_t>(i) * channels + c] =
                static_cast<int16_t>(std::lround(std::clamp(sample, -32768.0, 32767.0)));
        }
    }
    return out;
}

}  // namespace tonalbox::audioprobe
