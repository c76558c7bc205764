// The wave capture effect: the file it writes and how it fails.

#include "platform/wavecapture/WaveCaptureFx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audioprobe/WavFile.h"
#include "platform/audio/AudioErrors.h"
#include "tests/support/TempDir.h"

namespace tonalbox::wavecapture {
namespace {

using audioprobe::ReadFileBytes;
using testsupport::TempDir;
using audioprobe::WavFile;

WaveFormatEx Pcm16(int channels, int rate) {
    WaveFormatEx f;
    f.wFormatTag = 1;
    f.nChannels = static_cast<uint16_t>(channels);
    f.nSamplesPerSec = static_cast<uint32_t>(rate);
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<uint16_t>(2 * channels);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

TEST(WaveCaptureFxTest, WritesTheSamplesAfterA56ByteHeaderWithTheSizesSetAtStop) {
    TempDir dir;
    WaveCaptureFx fx;
    const WaveFormatEx format = Pcm16(2, 22050);
    ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
    ASSERT_EQ(fx.StartCapture(dir.File("a.wav").c_str(), &format), audio::kOk);
    EXPECT_TRUE(fx.Capturing());
    std::vector<int16_t> block{1, -1, 32767, -32768, 256, -256};
    fx.Process(block.data(), 3);
    fx.Process(block.data(), 2);
    ASSERT_EQ(fx.StopCapture(), audio::kOk);
    EXPECT_FALSE(fx.Capturing());

    const std::vector<uint8_t> bytes = ReadFileBytes(dir.File("a.wav"));
    ASSERT_EQ(bytes.size(), 56u + 20);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(WavFile::Le32(&bytes[4]), 48u + 20);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(WavFile::Le32(&bytes[16]), 16u);
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "fact");
    EXPECT_EQ(WavFile::Le32(&bytes[40]), 4u);
    EXPECT_EQ(WavFile::Le32(&bytes[44]), 5u);  // frames
    EXPECT_EQ(std::string(bytes.begin() + 48, bytes.begin() + 52), "data");
    EXPECT_EQ(WavFile::Le32(&bytes[52]), 20u);
    WavFile w;
    ASSERT_TRUE(w.Read(dir.File("a.wav")));
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.sampleRate, 22050u);
    EXPECT_EQ(w.byteRate, 88200u);
    EXPECT_EQ(w.blockAlign, 4);
    EXPECT_EQ(w.bitsPerSample, 16);
    EXPECT_EQ(w.samples, (std::vector<int16_t>{1, -1, 32767, -32768, 256, -256, 1, -1, 32767, -32768}));
}

TEST(WaveCaptureFxTest, OrdinaryReadersAcceptTheFile) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs sox";
    TempDir dir;
    WaveCaptureFx fx;
    const WaveFormatEx format = Pcm16(1, 11025);
    ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
    ASSERT_EQ(fx.StartCapture(dir.File("m.wav").c_str(), &format), audio::kOk);
    std::vector<int16_t> tone(11025);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<int16_t>((i % 50) * 400 - 10000);
    fx.Process(tone.data(), tone.size());
    ASSERT_EQ(fx.StopCapture(), audio::kOk);
    const std::string cmd = "sox --i -s " + dir.File("m.wav") + " > " + dir.File("n.txt") + " 2>&1 && sox " +
                            dir.File("m.wav") + " -t raw " + dir.File("m.raw") + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::vector<uint8_t> count = ReadFileBytes(dir.File("n.txt"));
    EXPECT_EQ(std::string(count.begin(), count.end()), "11025\n");
    const std::vector<uint8_t> raw = ReadFileBytes(dir.File("m.raw"));
    ASSERT_EQ(raw.size(), 2 * tone.size());
    EXPECT_EQ(static_cast<int16_t>(WavFile::Le16(&raw[2 * 123])), tone[123]);
}

TEST(WaveCaptureFxTest, AFileThatCannotBeOpenedFailsAndAudioKeepsFlowing) {
    TempDir dir;
    WaveCaptureFx fx;
    const WaveFormatEx format = Pcm16(2, 44100);
    ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
    EXPECT_EQ(fx.StartCapture(dir.File("missing/x.wav").c_str(), &format), audio::kCannotOpen);
    std::vector<int16_t> block(64, 7);
    fx.Process(block.data(), 32);  // passes through, nothing written
    EXPECT_EQ(fx.StopCapture(), audio::kFalse);
    EXPECT_EQ(block[0], 7);
    ASSERT_EQ(fx.StartCapture(dir.File("ok.wav").c_str(), &format), audio::kOk);
    fx.Process(block.data(), 32);
    EXPECT_EQ(fx.StopCapture(), audio::kOk);
    WavFile w;
    ASSERT_TRUE(w.Read(dir.File("ok.wav")));
    EXPECT_EQ(w.Frames(), 32u);
}

TEST(WaveCaptureFxTest, WriteErrorsAreReportedAtStop) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "needs /dev/full";
    WaveCaptureFx fx;
    const WaveFormatEx format = Pcm16(2, 44100);
    ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
    ASSERT_EQ(fx.StartCapture("/dev/full", &format), audio::kOk);
    std::vector<int16_t> block(2 * 44100, 1);
    fx.Process(block.data(), 44100);
    EXPECT_EQ(fx.StopCapture(), audio::kWriteFault);
}

TEST(WaveCaptureFxTest, AudioBeyondWhatAWavFileCanHoldFailsTheCapture) {
    // 4 GiB of samples (written away into /dev/null): the sizes of the file
    // could not describe them.
    WaveCaptureFx fx;
    const WaveFormatEx format = Pcm16(2, 44100);
    ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
    ASSERT_EQ(fx.StartCapture("/dev/null", &format), audio::kOk);
    std::vector<int16_t> block(2 * 256 * 1024, 1);  // 1 MiB
    for (int i = 0; i < 4096; ++i) fx.Process(block.data(), 256 * 1024);
    EXPECT_EQ(fx.StopCapture(), audio::kWriteFault);
}

TEST(WaveCaptureFxTest, ANewCaptureFinishesTheOneBeforeAndDestructionFinishesTheLast) {
    TempDir dir;
    const WaveFormatEx format = Pcm16(1, 8000);
    std::vector<int16_t> block(100, -3);
    {
        WaveCaptureFx fx;
        ASSERT_EQ(fx.SetFormat(format).code, audio::kOk);
        ASSERT_EQ(fx.StartCapture(dir.File("1.wav").c_str(), &format), audio::kOk);
        fx.Process(block.data(), 100);
        ASSERT_EQ(fx.StartCapture(dir.File("2.wav").c_str(), &format), audio::kOk);
        fx.Process(block.data(), 40);
    }
    WavFile one, two;
    ASSERT_TRUE(one.Read(dir.File("1.wav")));
    ASSERT_TRUE(two.Read(dir.File("2.wav")));
    EXPECT_EQ(one.dataSize, 200u);
    EXPECT_EQ(two.dataSize, 80u);
    EXPECT_EQ(two.samples, std::vector<int16_t>(40, -3));
}

TEST(WaveCaptureFxTest, RefusesFormatsItCannotWrite) {
    TempDir dir;
    WaveCaptureFx fx;
    WaveFormatEx floats = Pcm16(2, 44100);
    floats.wFormatTag = 3;
    floats.wBitsPerSample = 32;
    EXPECT_EQ(fx.SetFormat(floats).code, audio::kBadFormat);
    const WaveFormatEx stereo = Pcm16(2, 22050);
    ASSERT_EQ(fx.SetFormat(stereo).code, audio::kOk);
    const WaveFormatEx mono = Pcm16(1, 22050);
    EXPECT_EQ(fx.StartCapture(dir.File("x.wav").c_str(), &mono), audio::kBadFormat);
    EXPECT_EQ(fx.StartCapture(dir.File("x.wav").c_str(), nullptr), audio::kPointer);
    EXPECT_EQ(fx.StartCapture(nullptr, &stereo), audio::kPointer);
    EXPECT_FALSE(fx.Capturing());
}

}  // namespace
}  // namespace tonalbox::wavecapture
