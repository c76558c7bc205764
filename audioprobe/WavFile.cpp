#include "audioprobe/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tonalbox::audioprobe {

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool WavFile::Read(const std::string& path) {
    *this = WavFile();
    std::ifstream f(path, std::ios::binary);
    if (!f) {
        m_error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    fileSize = bytes.size();
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        m_error = "not a RIFF/WAVE file";
        return false;
    }
    riffSize = Le32(bytes.data() + 4);
    bool haveFmt = false;
    bool haveData = false;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* h = bytes.data() + pos;
        const std::string id(reinterpret_cast<const char*>(h), 4);
        const uint32_t size = Le32(h + 4);
        chunkIds.push_back(id);
        if (id == "fmt " && pos + 8 + 16 <= bytes.size()) {
            haveFmt = true;
            fmtChunkSize = size;
            formatTag = Le16(h + 8);
            channels = Le16(h + 10);
            sampleRate = Le32(h + 12);
            byteRate = Le32(h + 16);
            blockAlign = Le16(h + 20);
            bitsPerSample = Le16(h + 22);
        } else if (id == "data") {
            haveData = true;
            dataOffset = static_cast<uint32_t>(pos + 8);
            dataSize = size;
            break;
        }
        pos += 8 + static_cast<size_t>(size) + (size & 1u);
    }
    if (!haveFmt || !haveData) {
        m_error = "missing fmt or data chunk";
        return false;
    }
    if (bytes.size() > 56) {
        const size_t n = (bytes.size() - 56) / 2;
        samples.resize(n);
        for (size_t i = 0; i < n; ++i)
            samples[i] = static_cast<int16_t>(Le16(bytes.data() + 56 + 2 * i));
    }
    return true;
}

namespace {
struct Range {
    size_t begin;
    size_t end;
};
Range Clip(size_t frames, size_t first, size_t count) {
    const size_t b = std::min(first, frames);
    const size_t e = count > frames - b ? frames : b + count;
    return {b, e};
}
}  // namespace

int WavFile::PeakAbs(size_t firstFrame, size_t frameCount) const {
    const Range r = Clip(Frames(), firstFrame, frameCount);
    int peak = 0;
    for (size_t i = r.begin * channels; i < r.end * channels; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    return peak;
}

double WavFile::Rms(size_t firstFrame, size_t frameCount) const {
    const Range r = Clip(Frames(), firstFrame, frameCount);
    if (r.end <= r.begin) return 0.0;
    double sum = 0.0;
    for (size_t i = r.begin * channels; i < r.end * channels; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>((r.end - r.begin) * channels));
}

size_t WavFile::FirstFrameAbove(int threshold, size_t fromFrame) const {
    for (size_t fr = fromFrame; fr < Frames(); ++fr)
        for (size_t c = 0; c < channels; ++c)
            if (std::abs(static_cast<int>(samples[fr * channels + c])) > threshold) return fr;
    return SIZE_MAX;
}

size_t WavFile::LastFrameAbove(int threshold) const {
    for (size_t fr = Frames(); fr-- > 0;)
        for (size_t c = 0; c < channels; ++c)
            if (std::abs(static_cast<int>(samples[fr * channels + c])) > threshold) return fr;
    return SIZE_MAX;
}

}  // namespace tonalbox::audioprobe
