#include "audioprobe/Mp3Probe.h"

#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tonalbox::audioprobe {

namespace {

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

// "Xing" or "Info" where the first frame's side information ends.
std::string InfoTagOf(const std::vector<unsigned char>& b) {
    size_t at = 0;
    if (b.size() >= 10 && std::memcmp(b.data(), "ID3", 3) == 0)
        at = 10 + ((size_t(b[6] & 0x7F) << 21) | (size_t(b[7] & 0x7F) << 14) | (size_t(b[8] & 0x7F) << 7) |
                   size_t(b[9] & 0x7F));
    if (b.size() < at + 4 || b[at] != 0xFF || (b[at + 1] & 0xE0) != 0xE0) return {};
    const bool mpeg1 = ((b[at + 1] >> 3) & 3) == 3;
    const bool mono = (b[at + 3] >> 6) == 3;
    const bool crc = (b[at + 1] & 1) == 0;
    const size_t side = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const size_t tag = at + 4 + (crc ? 2 : 0) + side;
    if (b.size() < tag + 4) return {};
    const std::string text(reinterpret_cast<const char*>(&b[tag]), 4);
    return (text == "Xing" || text == "Info") ? text : std::string();
}

// The share of the signal's energy in the DFT bins above splitHz, over
// Hann-windowed blocks.
double ShareAbove(const std::vector<double>& x, double rate, double splitHz) {
    constexpr size_t kBlock = 512;
    const double pi = std::acos(-1.0);
    std::vector<double> window(kBlock);
    for (size_t i = 0; i < kBlock; ++i) window[i] = 0.5 - 0.5 * std::cos(2 * pi * double(i) / kBlock);
    double high = 0.0, all = 0.0;
    for (size_t start = 0; start + kBlock <= x.size(); start += kBlock) {
        for (size_t k = 1; k < kBlock / 2; ++k) {
            double re = 0.0, im = 0.0;
            for (size_t i = 0; i < kBlock; ++i) {
                const double v = x[start + i] * window[i];
                const double phase = 2 * pi * double(k * i % kBlock) / kBlock;
                re += v * std::cos(phase);
                im -= v * std::sin(phase);
            }
            const double power = re * re + im * im;
            all += power;
            if (double(k) * rate / kBlock > splitHz) high += power;
        }
    }
    return all > 0.0 ? high / all : 0.0;
}

}  // namespace

Mp3Facts Mp3Probe::Read(const std::string& path, double splitHz) {
    Mp3Facts facts;
    const std::vector<unsigned char> bytes = ReadAll(path);
    if (bytes.empty()) return facts;
    facts.infoTag = InfoTagOf(bytes);

    mpg123_init();
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (!mh) return facts;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
        double sumSquares = 0.0;
        long long values = 0;
        std::vector<double> firstChannel;
        bool first = true;
        for (;;) {
            off_t frameNumber = 0;
            unsigned char* audio = nullptr;
            size_t audioBytes = 0;
            const int rc = mpg123_decode_frame(mh, &frameNumber, &audio, &audioBytes);
            if (rc == MPG123_NEW_FORMAT) {
                int encoding = 0;
                mpg123_getformat(mh, &facts.sampleRate, &facts.channels, &encoding);
                continue;
            }
            if (rc != MPG123_OK) break;
            mpg123_frameinfo info{};
            if (mpg123_info(mh, &info) == MPG123_OK) {
                facts.bitrates.insert(info.bitrate);
                if (first) {
                    facts.mpegVersion = info.version == MPG123_1_0 ? 1 : info.version == MPG123_2_0 ? 2 : 25;
                    facts.channelMode = static_cast<int>(info.mode);
                    facts.copyright = (info.flags & MPG123_COPYRIGHT) != 0;
                    facts.original = (info.flags & MPG123_ORIGINAL) != 0;
                    facts.privateBit = (info.flags & MPG123_PRIVATE) != 0;
                    facts.vbrStream = info.vbr != MPG123_CBR;
                    first = false;
                }
            }
            ++facts.frames;
            const auto* pcm = reinterpret_cast<const short*>(audio);
            const size_t count = audioBytes / sizeof(short);
            for (size_t i = 0; i < count; ++i) sumSquares += double(pcm[i]) * pcm[i];
            if (splitHz > 0.0 && facts.channels > 0)
                for (size_t i = 0; i < count; i += static_cast<size_t>(facts.channels))
                    firstChannel.push_back(pcm[i]);
            values += static_cast<long long>(count);
        }
        if (facts.channels > 0) {
            facts.samples = values / facts.channels;
            facts.decoded = facts.frames > 0;
        }
        if (values > 0) facts.rms = std::sqrt(sumSquares / values) / 32768.0;
        if (splitHz > 0.0) facts.shareAbove = ShareAbove(firstChannel, double(facts.sampleRate), splitHz);
        mpg123_close(mh);
    }
    mpg123_delete(mh);
    return facts;
}

}  // namespace tonalbox::audioprobe
