// The encoder driver against a recording stand-in for lame_enc.so: the
// configuration record it fills, the order of its calls, what it reads and
// writes, and its failure paths.

#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audioprobe/WavTestWriter.h"
#include "engine/CMp3Encoder.h"
#include "tests/lame_recorder/LameRecorderControl.h"
#include "tests/support/DiagnosticLogLines.h"

namespace tonalbox {
namespace {

using audioprobe::WavTestWriter;
namespace fs = std::filesystem;

const std::string kBin = TONALBOX_BIN_DIR;
const std::string kRecorder = kBin + "/lame_recorder.so";
const std::string kRecorderNoInfoTag = kBin + "/lame_recorder_no_info_tag.so";
const std::string kRecorderIncomplete = kBin + "/lame_recorder_incomplete.so";

class FakeFrontEnd : public IConvertFrontEnd {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void EntryStarted(int, int, const std::string&) override {}
    void Progress(int pos) override {
        positions.push_back(pos);
        if (cancelAfter > 0 && static_cast<int>(positions.size()) == cancelAfter && cancelTarget)
            cancelTarget->store(1);
    }
    std::atomic<int>& CancelFlag() override { return cancel; }
    std::atomic<int>& SuccessCounter() override { return success; }
    bool AskOverwrite(const std::string&) override { return false; }
    void RunEnded() override {}

    std::vector<std::string> messages;
    std::vector<int> positions;
    int cancelAfter = 0;  // set *cancelTarget once this many positions were set
    std::atomic<int>* cancelTarget = nullptr;
    std::atomic<int> cancel{0};
    std::atomic<int> success{0};
};

int32_t I32(const BYTE* bytes, size_t offset) {
    return static_cast<int32_t>(bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
                                (static_cast<uint32_t>(bytes[offset + 3]) << 24));
}

std::vector<char> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int OpenDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir)) ++count;
        ::closedir(dir);
    }
    return count;
}

// Loads a recorder module for the test's own use, so that its setup and log
// outlive the encoder's load and unload.
class CMp3EncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tonalbox_mp3enc_" + std::to_string(::getpid()) + "_" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        wav = (folder / "in.wav").string();
        mp3 = (folder / "out.mp3").string();
    }
    void TearDown() override {
        CloseRecorder();
        fs::remove_all(folder);
    }

    void OpenRecorder(const std::string& path, const RecorderSetup& setup = RecorderSetup{}) {
        CloseRecorder();
        recorderPath = path;
        module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << ::dlerror();
        reinterpret_cast<RECORDERRESET>(::dlsym(module, "recorderReset"))();
        reinterpret_cast<RECORDERSETUP>(::dlsym(module, "recorderSetup"))(&setup);
        log = reinterpret_cast<RECORDERLOG>(::dlsym(module, "recorderLog"))();
    }
    void CloseRecorder() {
        if (module) ::dlclose(module);
        module = nullptr;
    }
    // True when nobody but this test holds the recorder module.
    bool EncoderReleasedModule() {
        CloseRecorder();
        void* still = ::dlopen(recorderPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (still) ::dlclose(still);
        return still == nullptr;
    }

    int Encode(const Mp3EncoderSettings& settings = Mp3EncoderSettings{}, int from = 75, int to = 100) {
        const int fdsBefore = OpenDescriptors();
        const int result = CMp3Encoder().EncodeFileWithModule(recorderPath, wav, mp3, settings, &frontEnd,
                                                              from, to, cancel);
        EXPECT_EQ(OpenDescriptors(), fdsBefore) << "a file was left open";
        return result;
    }

    // The configuration record beInitStream received for these settings.
    std::vector<BYTE> ConfigFor(const Mp3EncoderSettings& settings) {
        OpenRecorder(kRecorder);
        EXPECT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(64, 1)));
        EXPECT_EQ(Encode(settings), 1);
        EXPECT_EQ(log->initCalls, 1);
        return std::vector<BYTE>(log->config, log->config + CURRENT_STRUCT_SIZE);
    }

    fs::path folder;
    std::string wav, mp3, recorderPath;
    void* module = nullptr;
    const RecorderLog* log = nullptr;
    FakeFrontEnd frontEnd;
    std::atomic<int> cancel{0};
};

// Offsets of the LHV1 record, counted from the start of BE_CONFIG.
enum Offset : size_t {
    kConfig = 0, kStructVersion = 4, kStructSize = 8, kSampleRate = 12, kReSampleRate = 16, kMode = 20,
    kBitrate = 24, kMaxBitrate = 28, kPreset = 32, kMpegVersion = 36, kPsyModel = 40, kEmphasis = 44,
    kPrivate = 48, kCrc = 52, kCopyright = 56, kOriginal = 60, kWriteVbrHeader = 64, kEnableVbr = 68,
    kVbrQuality = 72, kVbrAbrBps = 76, kVbrMethod = 80, kNoRes = 84, kStrictIso = 88, kQuality = 92,
    kReserved = 94,
};

TEST_F(CMp3EncoderTest, DefaultsGiveCbr128JointStereoRecord) {
    const auto c = ConfigFor(Mp3EncoderSettings{});
    const BYTE* b = c.data();
    EXPECT_EQ(I32(b, kConfig), 256);
    EXPECT_EQ(I32(b, kStructVersion), 1);
    EXPECT_EQ(I32(b, kStructSize), 331);
    EXPECT_EQ(I32(b, kSampleRate), 22050);
    EXPECT_EQ(I32(b, kReSampleRate), 0);
    EXPECT_EQ(I32(b, kMode), 1);
    EXPECT_EQ(I32(b, kBitrate), 128);
    EXPECT_EQ(I32(b, kMaxBitrate), 0);
    EXPECT_EQ(I32(b, kPreset), -1);
    EXPECT_EQ(I32(b, kMpegVersion), 1);
    EXPECT_EQ(I32(b, kPsyModel), 0);
    EXPECT_EQ(I32(b, kEmphasis), 0);
    EXPECT_EQ(I32(b, kPrivate), 0);
    EXPECT_EQ(I32(b, kCrc), 0);
    EXPECT_EQ(I32(b, kCopyright), 0);
    EXPECT_EQ(I32(b, kOriginal), 0);
    EXPECT_EQ(I32(b, kWriteVbrHeader), 1);
    EXPECT_EQ(I32(b, kEnableVbr), 0);
    EXPECT_EQ(I32(b, kVbrQuality), 0);
    EXPECT_EQ(I32(b, kVbrAbrBps), 0);
    EXPECT_EQ(I32(b, kVbrMethod), -1);
    EXPECT_EQ(I32(b, kNoRes), 0);
    EXPECT_EQ(I32(b, kStrictIso), 0);
    EXPECT_EQ(b[kQuality] | (b[kQuality + 1] << 8), 0);
    for (size_t i = kReserved; i < CURRENT_STRUCT_SIZE; ++i) ASSERT_EQ(b[i], 0) << "reserved byte " << i;
}

TEST_F(CMp3EncoderTest, ModeDependentFieldsOfAbrVbrPresetAndUnknownModes) {
    struct Case {
        int mode, bitrate, vbrQuality, preset;
        int32_t dwBitrate, nPreset, bEnableVBR, nVBRQuality, dwVbrAbr_bps, nVbrMethod;
    };
    const Case cases[] = {
        {1, 160, 5, 4, 0, -1, 0, 0, 160000, 4},    // ABR 160
        {2, 128, 2, 4, 0, -1, 1, 2, 128000, 0},    // VBR quality 2 at 128
        {3, 128, 5, 22, 0, 10000, 0, 0, 0, 0},     // PRESET "Studio"
        {4, 128, 5, 22, 0, 0, 0, 0, 0, 0},         // a mode beyond the list
        {-1, 128, 5, 22, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& k : cases) {
        Mp3EncoderSettings s;
        s.m_nEncodeMode = k.mode;
        s.m_nBitrate = k.bitrate;
        s.m_nVbrQuality = k.vbrQuality;
        s.m_nPreset = k.preset;
        const auto c = ConfigFor(s);
        SCOPED_TRACE("encode mode " + std::to_string(k.mode));
        EXPECT_EQ(I32(c.data(), kBitrate), k.dwBitrate);
        EXPECT_EQ(I32(c.data(), kPreset), k.nPreset);
        EXPECT_EQ(I32(c.data(), kEnableVbr), k.bEnableVBR);
        EXPECT_EQ(I32(c.data(), kVbrQuality), k.nVBRQuality);
        EXPECT_EQ(I32(c.data(), kVbrAbrBps), k.dwVbrAbr_bps);
        EXPECT_EQ(I32(c.data(), kVbrMethod), k.nVbrMethod);
        EXPECT_EQ(I32(c.data(), kWriteVbrHeader), 1);
    }
}

TEST_F(CMp3EncoderTest, PresetPositionsBecomeTheInterfaceCodes) {
    const int32_t codes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1000, 2000, 3000, 4000, 5000,
                             6000, 7000, 8000, 9000, 10000};
    Mp3EncoderSettings s;
    s.m_nEncodeMode = 3;
    for (int position = 0; position < 23; ++position) {
        s.m_nPreset = position;
        EXPECT_EQ(I32(ConfigFor(s).data(), kPreset), codes[position]) << "position " << position;
    }
    // A position beyond the list, as a hand-edited settings file may hold.
    s.m_nPreset = 23;
    EXPECT_EQ(I32(ConfigFor(s).data(), kPreset), 0);
}

TEST_F(CMp3EncoderTest, ResampleRateChannelModeAndHeaderBits) {
    Mp3EncoderSettings s;
    s.m_nOutSampleRate = 22050;  // the same as the input
    EXPECT_EQ(I32(ConfigFor(s).data(), kReSampleRate), 0);
    s.m_nOutSampleRate = 44100;
    s.m_nChannelMode = 3;
    s.m_bCopyright = 1;
    s.m_bOriginal = 1;
    const auto c = ConfigFor(s);
    EXPECT_EQ(I32(c.data(), kReSampleRate), 44100);
    EXPECT_EQ(I32(c.data(), kMode), 3);
    EXPECT_EQ(I32(c.data(), kCopyright), 1);
    EXPECT_EQ(I32(c.data(), kOriginal), 1);
    EXPECT_EQ(I32(c.data(), kPrivate), 0);
    s.m_bPrivate = 1;
    EXPECT_EQ(I32(ConfigFor(s).data(), kPrivate), 1);
}

TEST_F(CMp3EncoderTest, FeedsTheSamplesAfterByte56ChunkByChunkAndFinishesTheFile) {
    RecorderSetup setup;
    setup.chunkSamples = 2304;
    OpenRecorder(kRecorder, setup);
    std::vector<int16_t> samples(5000);
    long long sum = 0;
    for (size_t i = 0; i < samples.size(); ++i) sum += samples[i] = static_cast<int16_t>(i * 37 % 2001 - 1000);
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, samples));

    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init encode encode encode deinit close infotag");
    EXPECT_EQ(log->samples, 5000);
    EXPECT_EQ(log->sampleSum, sum);
    EXPECT_EQ(log->firstSamples[0], samples[0]);
    EXPECT_EQ(log->firstSamples[3], samples[3]);
    EXPECT_EQ(log->lastSample, samples.back());
    EXPECT_EQ(log->infoTagStream, kRecorderStream);
    EXPECT_EQ(std::string(log->infoTagFile), mp3);
    EXPECT_TRUE(frontEnd.messages.empty());

    // Every chunk's output in order, then the flush.
    const auto out = ReadFile(mp3);
    ASSERT_EQ(out.size(), 3u * 100 + 200);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[150], 2);
    EXPECT_EQ(out[299], 3);
    EXPECT_EQ(static_cast<unsigned char>(out[300]), 0xEE);
    EXPECT_TRUE(EncoderReleasedModule());
}

TEST_F(CMp3EncoderTest, HeaderOnlyShortAndOddSizedInputs) {
    // Exactly the 56 header bytes: nothing to encode, only the flush.
    OpenRecorder(kRecorder);
    ASSERT_TRUE(WavTestWriter::WriteBytes(wav, 22050, 2, {}));
    ASSERT_EQ(fs::file_size(wav), 56u);
    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init deinit close infotag");
    EXPECT_EQ(fs::file_size(mp3), 200u);

    // Shorter than the header.
    OpenRecorder(kRecorder);
    std::ofstream(wav, std::ios::binary | std::ios::trunc) << "RIFF";
    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init deinit close infotag");

    // An odd byte count: the last byte is no sample.
    OpenRecorder(kRecorder);
    ASSERT_TRUE(WavTestWriter::WriteBytes(wav, 22050, 2, {0x10, 0x00, 0x20, 0x00, 0x7F}));
    EXPECT_EQ(Encode(), 1);
    EXPECT_EQ(log->chunks, 1);
    EXPECT_EQ(log->samples, 2);
    EXPECT_EQ(log->lastSample, 0x20);
}

TEST_F(CMp3EncoderTest, CancelBeforeTheFirstChunkAndBetweenChunks) {
    OpenRecorder(kRecorder);
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(10000, 5)));
    cancel = 1;
    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init deinit close infotag");
    EXPECT_TRUE(frontEnd.positions.empty());

    OpenRecorder(kRecorder);
    cancel = 0;
    frontEnd.cancelAfter = 2;
    frontEnd.cancelTarget = &cancel;
    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init encode encode deinit close infotag");
    EXPECT_EQ(fs::file_size(mp3), 2u * 100 + 200);
}

TEST_F(CMp3EncoderTest, ProgressMovesFromFromTowardsTo) {
    // 1,000,000 sample bytes: a file of 1,000,056 bytes, read in four chunks
    // of 250,000 bytes; after the second 500,000 bytes are read.
    RecorderSetup setup;
    setup.chunkSamples = 125000;
    setup.bufferSize = 1000;
    OpenRecorder(kRecorder, setup);
    ASSERT_TRUE(WavTestWriter::WriteBytes(wav, 22050, 2, std::vector<uint8_t>(1000000, 0)));
    ASSERT_EQ(fs::file_size(wav), 1000056u);
    EXPECT_EQ(Encode(), 1);
    EXPECT_EQ(frontEnd.positions, (std::vector<int>{81, 87, 93, 99}));

    // A range whose product with the byte count would overflow 32 bits.
    OpenRecorder(kRecorder, setup);
    frontEnd.positions.clear();
    EXPECT_EQ(Encode(Mp3EncoderSettings{}, 0, 100000), 1);
    EXPECT_EQ(frontEnd.positions[1], 49997);
}

TEST_F(CMp3EncoderTest, ModuleWithoutInfoTagGetsTheVbrHeaderCallWithTheFileName) {
    OpenRecorder(kRecorderNoInfoTag);
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(100, 5)));
    EXPECT_EQ(Encode(), 1);
    EXPECT_STREQ(log->calls, "version init encode deinit close vbrheader");
    EXPECT_EQ(std::string(log->vbrHeaderFile), mp3);
}

TEST_F(CMp3EncoderTest, MissingModuleOrEntryPoint) {
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(100, 5)));
    recorderPath = (folder / "no_such_module.so").string();
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"error loading lame_enc.DLL"}));
    EXPECT_FALSE(fs::exists(mp3));

    frontEnd.messages.clear();
    OpenRecorder(kRecorderIncomplete);
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"Unable to get LAME interfaces!"}));
    EXPECT_STREQ(log->calls, "");
    EXPECT_FALSE(fs::exists(mp3));
    EXPECT_TRUE(EncoderReleasedModule());

    // Without a front end the message goes to the diagnostic log only.
    const testsupport::DiagnosticLogLines logged;
    ::testing::internal::CaptureStderr();
    std::atomic<int> flag{0};
    EXPECT_EQ(CMp3Encoder().EncodeFileWithModule((folder / "none.so").string(), wav, mp3, Mp3EncoderSettings{},
                                                 nullptr, 75, 100, flag),
              0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(logged.lines, (std::vector<std::string>{"error loading lame_enc.DLL"}));
}

TEST_F(CMp3EncoderTest, FailuresBeforeEncodingReportAndReleaseEverything) {
    // The WAV cannot be opened: -1 and no message; no MP3 is created.
    OpenRecorder(kRecorder);
    EXPECT_EQ(Encode(), -1);
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_STREQ(log->calls, "version");
    EXPECT_FALSE(fs::exists(mp3));
    EXPECT_TRUE(EncoderReleasedModule());

    // The MP3 cannot be created.
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(100, 5)));
    OpenRecorder(kRecorder);
    mp3 = (folder / "missing" / "out.mp3").string();
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"Error creating output file "}));
    EXPECT_STREQ(log->calls, "version");
    EXPECT_TRUE(EncoderReleasedModule());

    // The stream cannot be opened.
    frontEnd.messages.clear();
    mp3 = (folder / "out.mp3").string();
    RecorderSetup setup;
    setup.initResult = BE_ERR_INVALID_FORMAT_PARAMETERS;
    OpenRecorder(kRecorder, setup);
    EXPECT_EQ(Encode(), -1);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"Error opening encoding stream "}));
    EXPECT_STREQ(log->calls, "version init");
    EXPECT_TRUE(EncoderReleasedModule());
}

TEST_F(CMp3EncoderTest, FailuresWhileEncodingCloseTheStreamAndKeepTheOutputSoFar) {
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(10000, 5)));

    RecorderSetup setup;
    setup.failEncodeAtChunk = 2;
    OpenRecorder(kRecorder, setup);
    EXPECT_EQ(Encode(), -1);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"beEncodeChunk() failed."}));
    EXPECT_STREQ(log->calls, "version init encode encode close");
    EXPECT_EQ(fs::file_size(mp3), 100u);
    EXPECT_TRUE(EncoderReleasedModule());

    setup = RecorderSetup{};
    setup.deinitResult = BE_ERR_BUFFER_TOO_SMALL;
    OpenRecorder(kRecorder, setup);
    frontEnd.messages.clear();
    const testsupport::DiagnosticLogLines logged;
    EXPECT_EQ(Encode(), -1);
    EXPECT_EQ(logged.lines, (std::vector<std::string>{"beExitStream failed (5)"}));
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_STREQ(log->calls, "version init encode encode encode encode encode deinit close");
    EXPECT_EQ(fs::file_size(mp3), 5u * 100);
    EXPECT_TRUE(EncoderReleasedModule());
}

TEST_F(CMp3EncoderTest, WriteErrorsOfAChunkAndOfTheFlush) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(WavTestWriter::Write(wav, 22050, 2, std::vector<int16_t>(10000, 5)));
    mp3 = "/dev/full";

    // More than the file's buffer holds, so the write fails at once.
    RecorderSetup setup;
    setup.bytesPerChunk = 10000;
    OpenRecorder(kRecorder, setup);
    EXPECT_EQ(Encode(), 0);
    EXPECT_EQ(frontEnd.messages, (std::vector<std::string>{"Output file write error."}));
    EXPECT_STREQ(log->calls, "version init encode close");
    EXPECT_TRUE(EncoderReleasedModule());

    frontEnd.messages.clear();
    setup.bytesPerChunk = 0;
    setup.deinitBytes = 300;
    OpenRecorder(kRecorder, setup);
    const testsupport::DiagnosticLogLines logged;
    EXPECT_EQ(Encode(), -1);
    EXPECT_EQ(logged.lines, (std::vector<std::string>{"Output file write error"}));
    EXPECT_TRUE(frontEnd.messages.empty());
    EXPECT_STREQ(log->calls, "version init encode encode encode encode encode deinit close");
    EXPECT_TRUE(EncoderReleasedModule());
}

}  // namespace
}  // namespace tonalbox
