// Loudness normalisation of rendered pieces, measured with libebur128 on
// the captured WAV file: pieces of very different density end at the
// target loudness, or with their true peak at the -1 dBTP ceiling when that
// holds them back; no sample passes the ceiling; renders stay identical.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "audioprobe/LoudnessProbe.h"
#include "engine/LoudnessOptions.h"
#include "midigen/LevelTestPieces.h"
#include "platform/ProgramPaths.h"
#include "platform/audio/Performance.h"
#include "platform/audio/SoundFontCatalog.h"
#include "tests/support/EngineRender.h"
#include "tests/support/TempDir.h"

namespace tonalbox {
namespace {

using audio::SoundFontCatalog;
using midigen::LevelTestPieces;
using audioprobe::Loudness;
using midigen::MidiFileWriter;
using audioprobe::WavFile;

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
// -1 dBFS in 16-bit steps, with half a step for the rounding.
const double kCeilingSteps = std::pow(10.0, -1.0 / 20.0) * 32768.0 + 0.5;

class LoudnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!platform::FileExists(kSoundFont)) GTEST_SKIP() << "needs " << kSoundFont;
        SoundFontCatalog::SetPreferredSoundFont(kSoundFont);
    }
    void TearDown() override { SoundFontCatalog::SetPreferredSoundFont(""); }

    // Renders `piece` (22050 Hz, stereo unless told) into `wav`.
    std::string Render(const MidiFileWriter& piece, const std::string& name, const LoudnessOptions& options,
                       int pathType = 8) {
        const std::string mid = dir.File(name + ".mid");
        EXPECT_TRUE(piece.Write(mid));
        const std::string wav = dir.File(name + ".wav");
        EXPECT_TRUE(testsupport::EngineRender::Render(mid, wav, pathType, 22050, nullptr, 100000, &options).ok());
        return wav;
    }
    static Loudness Measure(const std::string& path, WavFile* keep = nullptr) {
        WavFile wav;
        EXPECT_TRUE(wav.Read(path)) << wav.Error();
        if (keep != nullptr) *keep = wav;
        return audioprobe::MeasureLoudness(wav);
    }

    testsupport::TempDir dir{"tonalbox-loudness"};
};

TEST_F(LoudnessTest, SparseAndDensePiecesReachTheTargetOrTheCeiling) {
    struct Case {
        const char* name;
        MidiFileWriter piece;
        int pathType;
    };
    const Case cases[] = {
        {"soft-note", LevelTestPieces::SoftNote(50), 8},
        {"piano-line", LevelTestPieces::PianoLine(6), 7},
        {"dense", LevelTestPieces::DenseArrangement(5), 8},
    };
    const LoudnessOptions options;  // -16 LUFS
    for (const Case& c : cases) {
        const Loudness l = Measure(Render(c.piece, c.name, options, c.pathType));
        const bool atTarget = std::fabs(l.lufs - options.targetLufs) <= 1.0;
        const bool atCeiling = std::fabs(l.truePeakDb + 1.0) <= 0.2;
        EXPECT_TRUE(atTarget || atCeiling) << c.name << ": " << l.lufs << " LUFS, " << l.truePeakDb << " dBTP";
        EXPECT_LE(l.truePeakDb, -0.8) << c.name;
        EXPECT_LE(l.peakAbs, kCeilingSteps) << c.name;
    }
}

TEST_F(LoudnessTest, AnotherTargetIsReachedAndTwoRendersAreIdentical) {
    const LoudnessOptions options{true, -23.0};
    const std::string first = Render(LevelTestPieces::DenseArrangement(4), "first", options);
    const std::string second = Render(LevelTestPieces::DenseArrangement(4), "second", options);
    WavFile a, b;
    EXPECT_NEAR(Measure(first, &a).lufs, -23.0, 1.0);
    Measure(second, &b);
    ASSERT_GT(a.samples.size(), 22050u * 2 * 4);
    EXPECT_EQ(audioprobe::ReadFileBytes(first), audioprobe::ReadFileBytes(second));
}

// A note too quiet to reach the target is raised by 40 dB and no more,
// far below the ceiling. The unnormalised render carries the
// synthesizer's output at the fixed output gain instead.
TEST_F(LoudnessTest, AVeryQuietPieceIsRaisedByFortyDecibelsAtMost) {
    const LoudnessOptions options;
    const Loudness raised = Measure(Render(LevelTestPieces::SoftNote(20), "raised", options));
    const Loudness raw = Measure(Render(LevelTestPieces::SoftNote(20), "raw", LoudnessOptions{false, -16.0}));
    EXPECT_LT(raised.lufs, options.targetLufs - 1.0) << "the target is missed";
    EXPECT_LT(raised.truePeakDb, -1.0) << "the ceiling is kept";
    ASSERT_GT(raw.peakAbs, 50);
    // Peaks, not loudness: the gates of a loudness measurement leave out
    // more of a quieter note's decay.
    const double gainDb = 20.0 * std::log10(static_cast<double>(raised.peakAbs) / raw.peakAbs * audio::kOutputGain);
    EXPECT_NEAR(gainDb, 40.0, 0.2) << "the most a piece is raised";
}

}  // namespace
}  // namespace tonalbox
