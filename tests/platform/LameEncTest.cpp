// lame_enc.so through its exported interface, loaded the way the encoder
// driver loads it.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "audioprobe/Mp3Probe.h"
#include "audioprobe/WavTestWriter.h"
#include "platform/lame_enc/LameEncEntryPoints.h"

namespace {

using tonalbox::audioprobe::Mp3Facts;
using tonalbox::audioprobe::Mp3Probe;
using tonalbox::audioprobe::WavTestWriter;
namespace fs = std::filesystem;

BE_CONFIG Lhv1(DWORD rate, LONG mode, DWORD kbps) {
    BE_CONFIG c;
    std::memset(&c, 0, sizeof c);
    c.dwConfig = BE_CONFIG_LAME;
    c.format.LHV1.dwStructVersion = CURRENT_STRUCT_VERSION;
    c.format.LHV1.dwStructSize = CURRENT_STRUCT_SIZE;
    c.format.LHV1.dwSampleRate = rate;
    c.format.LHV1.nMode = mode;
    c.format.LHV1.dwBitrate = kbps;
    c.format.LHV1.nPreset = LQP_NOPRESET;
    c.format.LHV1.nVbrMethod = VBR_METHOD_NONE;
    c.format.LHV1.dwMpegVersion = MPEG1;
    c.format.LHV1.bWriteVBRHeader = 1;
    return c;
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LameEncTest : public ::testing::Test, protected LameEncEntryPoints {
protected:
    void SetUp() override {
        module = ::dlopen((std::string(TONALBOX_BIN_DIR) + "/lame_enc.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << ::dlerror();
        ASSERT_TRUE(Resolve(module) && beWriteInfoTag);
        folder = fs::temp_directory_path() / ("tonalbox_lameenc_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder);
    }
    void TearDown() override {
        fs::remove_all(folder);
        if (module) ::dlclose(module);
    }

    // Encodes `seconds` of the test signal as the driver does and writes the
    // Info frame; returns the MP3's facts. Without `writeTag` the stream is
    // left to the caller after beCloseStream.
    Mp3Facts EncodeToFile(BE_CONFIG config, int channels, double seconds, const std::string& name,
                          bool writeTag = true) {
        DWORD chunk = 0, size = 0;
        EXPECT_EQ(beInitStream(&config, &chunk, &size, &stream), BE_ERR_SUCCESSFUL);
        const auto samples = WavTestWriter::TestSignal(static_cast<int>(config.format.LHV1.dwSampleRate),
                                                       channels, seconds);
        const std::string path = (folder / name).string();
        std::ofstream out(path, std::ios::binary);
        std::vector<BYTE> buffer(size);
        for (size_t at = 0; at < samples.size(); at += chunk) {
            const DWORD n = static_cast<DWORD>(std::min<size_t>(chunk, samples.size() - at));
            DWORD bytes = 0;
            EXPECT_EQ(beEncodeChunk(stream, n, const_cast<SHORT*>(&samples[at]), buffer.data(), &bytes),
                      BE_ERR_SUCCESSFUL);
            EXPECT_LE(bytes, size);
            out.write(reinterpret_cast<const char*>(buffer.data()), bytes);
        }
        DWORD bytes = 0;
        EXPECT_EQ(beDeinitStream(stream, buffer.data(), &bytes), BE_ERR_SUCCESSFUL);
        out.write(reinterpret_cast<const char*>(buffer.data()), bytes);
        out.close();
        EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
        if (writeTag) {
            EXPECT_EQ(beWriteInfoTag(stream, path.c_str()), BE_ERR_SUCCESSFUL);
        }
        return Mp3Probe::Read(path);
    }

    void* module = nullptr;
    HBE_STREAM stream = 0;
    fs::path folder;
};

TEST_F(LameEncTest, VersionNamesTheInterfaceAndLame) {
    BE_VERSION v;
    std::memset(&v, 0xAB, sizeof v);
    beVersion(&v);
    EXPECT_EQ(v.byDLLMajorVersion, 1);
    EXPECT_EQ(v.byDLLMinorVersion, 32);
    EXPECT_EQ(v.byMajorVersion, 3);
    EXPECT_GE(v.byMinorVersion, 100);
    EXPECT_GT(std::strlen(v.zHomepage), 0u);
    EXPECT_LT(std::strlen(v.zHomepage), sizeof v.zHomepage);
    EXPECT_EQ(v.btReserved[0], 0);
}

TEST_F(LameEncTest, ChunkAndBufferSizesFollowTheFrameAndChannels) {
    struct Case {
        DWORD rate, resample;
        LONG mode;
        DWORD chunk;
    };
    const Case cases[] = {{22050, 0, BE_MP3_MODE_JSTEREO, 1152}, {22050, 0, BE_MP3_MODE_MONO, 576},
                          {44100, 0, BE_MP3_MODE_STEREO, 2304}, {22050, 44100, BE_MP3_MODE_JSTEREO, 2304}};
    for (const Case& k : cases) {
        BE_CONFIG c = Lhv1(k.rate, k.mode, 128);
        c.format.LHV1.dwReSampleRate = k.resample;
        DWORD chunk = 0, size = 0;
        ASSERT_EQ(beInitStream(&c, &chunk, &size, &stream), BE_ERR_SUCCESSFUL);
        EXPECT_EQ(chunk, k.chunk) << k.rate << " mode " << k.mode;
        const double outPerChannel = 1.25 * k.chunk / (k.mode == BE_MP3_MODE_MONO ? 1 : 2) *
                                     (k.resample ? double(k.resample) / k.rate : 1.0);
        EXPECT_GE(size, outPerChannel + 7200);
        EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
        EXPECT_EQ(beWriteInfoTag(stream, nullptr), BE_ERR_INVALID_FORMAT_PARAMETERS);
    }
}

TEST_F(LameEncTest, RejectsBadRecords) {
    DWORD chunk = 0, size = 0;
    BE_CONFIG c = Lhv1(22050, 4, 128);
    EXPECT_EQ(beInitStream(&c, &chunk, &size, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
    c = Lhv1(0, BE_MP3_MODE_STEREO, 128);
    EXPECT_EQ(beInitStream(&c, &chunk, &size, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
    c = Lhv1(22050, BE_MP3_MODE_STEREO, 128);
    c.dwConfig = 7;
    EXPECT_EQ(beInitStream(&c, &chunk, &size, &stream), BE_ERR_INVALID_FORMAT);
    EXPECT_EQ(beInitStream(nullptr, &chunk, &size, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
    // Handles that were never given out.
    BYTE out[16];
    DWORD bytes = 99;
    EXPECT_EQ(beEncodeChunk(12345, 0, nullptr, out, &bytes), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(bytes, 0u);
    EXPECT_EQ(beDeinitStream(12345, out, &bytes), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(beCloseStream(12345), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(beWriteInfoTag(12345, "x.mp3"), BE_ERR_INVALID_HANDLE);
}

TEST_F(LameEncTest, StreamLifetimeAroundTheInfoFrame) {
    // With the header wanted, a closed stream waits for its Info frame and
    // takes no more samples; beWriteVBRHeader finds it as the last one.
    EncodeToFile(Lhv1(22050, BE_MP3_MODE_JSTEREO, 128), 2, 0.5, "a.mp3", false);
    BYTE out[16];
    DWORD bytes = 0;
    SHORT pcm[4] = {};
    EXPECT_EQ(beEncodeChunk(stream, 4, pcm, out, &bytes), BE_ERR_INVALID_HANDLE);
    const std::string path = (folder / "a.mp3").string();
    EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(Mp3Probe::Read(path).infoTag, "Info");
    EXPECT_EQ(beWriteVBRHeader(path.c_str()), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(beWriteInfoTag(stream, path.c_str()), BE_ERR_INVALID_HANDLE);

    // Without it, beCloseStream ends the stream.
    BE_CONFIG c = Lhv1(22050, BE_MP3_MODE_JSTEREO, 128);
    c.format.LHV1.bWriteVBRHeader = 0;
    const Mp3Facts facts = EncodeToFile(c, 2, 0.5, "b.mp3", false);
    EXPECT_EQ(facts.infoTag, "");
    EXPECT_EQ(beWriteInfoTag(stream, path.c_str()), BE_ERR_INVALID_HANDLE);
}

TEST_F(LameEncTest, InfoFrameIsNotWrittenIntoAFileThatIsNoMp3) {
    BE_CONFIG c = Lhv1(22050, BE_MP3_MODE_JSTEREO, 128);
    EncodeToFile(c, 2, 0.5, "a.mp3", false);
    const std::string other = (folder / "notes.txt").string();
    std::ofstream(other) << "not an MP3 file, and it stays as it is\n";
    const auto before = ReadFile(other);
    EXPECT_EQ(beWriteInfoTag(stream, other.c_str()), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(ReadFile(other), before);
}

TEST_F(LameEncTest, ModesBitsAndRates) {
    BE_CONFIG c = Lhv1(22050, BE_MP3_MODE_MONO, 64);
    c.format.LHV1.bCopyright = 1;
    c.format.LHV1.bOriginal = 1;
    c.format.LHV1.bPrivate = 1;
    Mp3Facts f = EncodeToFile(c, 1, 1.0, "mono.mp3");
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.bitrates, (std::set<int>{64}));
    EXPECT_TRUE(f.copyright && f.original && f.privateBit);
    EXPECT_NEAR(f.samples, 22050, 576);

    c = Lhv1(22050, BE_MP3_MODE_DUALCHANNEL, 96);
    f = EncodeToFile(c, 2, 1.0, "dual.mp3");
    EXPECT_EQ(f.channelMode, 0);  // two independently coded channels
    EXPECT_FALSE(f.copyright || f.original || f.privateBit);

    // The short record of the first interface generation.
    std::memset(&c, 0, sizeof c);
    c.dwConfig = BE_CONFIG_MP3;
    c.format.mp3.dwSampleRate = 44100;
    c.format.mp3.byMode = BE_MP3_MODE_STEREO;
    c.format.mp3.wBitrate = 192;
    DWORD chunk = 0, size = 0;
    ASSERT_EQ(beInitStream(&c, &chunk, &size, &stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(chunk, 2304u);
    EXPECT_EQ(beCloseStream(stream), BE_ERR_SUCCESSFUL);
}

TEST_F(LameEncTest, PresetCodesAreTranslatedNotPassedOn) {
    struct Case {
        LONG preset;
        DWORD rate;
        int channels;
        std::set<int> bitrates;
        const char* tag;  // at 16 kbit/s LAME's tag does not fit into a frame
    };
    // LAME's own preset 1000 is R3MIX (VBR, stereo); the interface's 1000 is
    // mono at 16 kbit/s.
    const Case cases[] = {{LQP_PHONE, 22050, 1, {16}, ""},    {LQP_VOICE, 22050, 1, {56}, "Info"},
                          {LQP_FM, 44100, 2, {112}, "Info"},  {LQP_CD, 44100, 2, {192}, "Info"},
                          {LQP_STUDIO, 22050, 2, {160}, "Info"}};
    for (const Case& k : cases) {
        BE_CONFIG c = Lhv1(k.rate, BE_MP3_MODE_JSTEREO, 0);
        c.format.LHV1.nPreset = k.preset;
        const Mp3Facts f = EncodeToFile(c, 2, 1.0, "preset.mp3");
        EXPECT_EQ(f.channels, k.channels) << "preset " << k.preset;
        EXPECT_EQ(f.bitrates, k.bitrates) << "preset " << k.preset;
        EXPECT_EQ(f.infoTag, k.tag) << "preset " << k.preset;
    }
    BE_CONFIG c = Lhv1(44100, BE_MP3_MODE_JSTEREO, 0);
    c.format.LHV1.nPreset = LQP_R3MIX;
    Mp3Facts f = EncodeToFile(c, 2, 1.0, "r3mix.mp3");
    EXPECT_TRUE(f.vbrStream);
    EXPECT_EQ(f.infoTag, "Xing");

    c = Lhv1(44100, BE_MP3_MODE_JSTEREO, 96);
    c.format.LHV1.nPreset = LQP_CBR;
    EXPECT_EQ(EncodeToFile(c, 2, 1.0, "cbr.mp3").bitrates, (std::set<int>{96}));
}

TEST_F(LameEncTest, CbrAndAbrPresetsWithoutABitrateUseLamesDefault) {
    // The preset mode passes no bitrate; the output keeps the input's rate
    // unless a resampling rate is given.
    for (DWORD resample : {0u, 44100u}) {
        BE_CONFIG c = Lhv1(22050, BE_MP3_MODE_JSTEREO, 0);
        c.format.LHV1.nPreset = LQP_CBR;
        c.format.LHV1.dwReSampleRate = resample;
        Mp3Facts f = EncodeToFile(c, 2, 2.0, "cbr-default.mp3");
        EXPECT_EQ(f.bitrates, (std::set<int>{128})) << resample;
        EXPECT_EQ(f.sampleRate, resample ? 44100 : 22050);

        c.format.LHV1.nPreset = LQP_ABR;
        f = EncodeToFile(c, 2, 2.0, "abr-default.mp3");
        EXPECT_TRUE(f.vbrStream) << resample;
        EXPECT_EQ(f.sampleRate, resample ? 44100 : 22050);
        const double kbps = std::filesystem::file_size(folder / "abr-default.mp3") * 8 / 2.0 / 1000;
        EXPECT_NEAR(kbps, 128, 40) << resample;
    }
}

TEST_F(LameEncTest, QualityCountsOnlyWithItsComplementByte) {
    auto encodeWithQuality = [&](WORD quality, const char* name) {
        BE_CONFIG c = Lhv1(22050, BE_MP3_MODE_JSTEREO, 128);
        c.format.LHV1.nQuality = quality;
        EncodeToFile(c, 2, 1.0, name);
        return ReadFile((folder / name).string());
    };
    const auto unset = encodeWithQuality(0, "q-unset.mp3");
    EXPECT_EQ(encodeWithQuality(0x0009, "q-no-complement.mp3"), unset);
    EXPECT_NE(encodeWithQuality(0xF609, "q9.mp3"), unset);
    EXPECT_EQ(encodeWithQuality(0xFC03, "q3.mp3"), unset);  // 3 is LAME's default
}

}  // namespace
