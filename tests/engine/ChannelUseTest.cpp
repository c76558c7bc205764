#include <gtest/gtest.h>

#include "engine/ChannelUse.h"
#include "engine/RenderSize.h"
#include "platform/audio/SampleSpillFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"

namespace tonalbox {
namespace {

using audio::MidiSequence;

TEST(ChannelUse, CountsSoundingNotesAndTheProgramsTheyArePlayedWith) {
    MidiSequence sequence;
    ASSERT_TRUE(sequence.SetDivision(480));
    // Channel 1: two notes on the default program, then program 5 twice
    // over (listed once), then back to 0; a note-on of velocity 0 is a
    // note-off.
    sequence.AddChannelEvent(0, 0x90, 60, 100);
    sequence.AddChannelEvent(10, 0x90, 60, 0);
    sequence.AddChannelEvent(20, 0x90, 62, 90);
    sequence.AddChannelEvent(30, 0xC0, 5, 0);
    sequence.AddChannelEvent(40, 0x90, 64, 90);
    sequence.AddChannelEvent(50, 0xC0, 5, 0);
    sequence.AddChannelEvent(60, 0x90, 65, 90);
    sequence.AddChannelEvent(70, 0xC0, 0, 0);
    sequence.AddChannelEvent(80, 0x90, 67, 90);
    // Channel 3 changes its program and controllers but plays nothing;
    // channel 16 plays one note after a program change.
    sequence.AddChannelEvent(0, 0xC2, 40, 0);
    sequence.AddChannelEvent(0, 0xB2, 7, 100);
    sequence.AddChannelEvent(0, 0xCF, 73, 0);
    sequence.AddChannelEvent(5, 0x9F, 70, 1);
    sequence.Finish();

    const ChannelUses uses = ChannelUseOf(sequence);
    EXPECT_EQ(uses[0].notes, 5u);
    EXPECT_EQ(uses[0].programs, (std::vector<int>{0, 5}));
    EXPECT_EQ(uses[2].notes, 0u);
    EXPECT_TRUE(uses[2].programs.empty());
    EXPECT_EQ(uses[15].notes, 1u);
    EXPECT_EQ(uses[15].programs, std::vector<int>{73});
    for (size_t c : {1u, 3u, 9u, 14u}) EXPECT_EQ(uses[c].notes, 0u) << c;
}

// Each stem needs its WAV; float samples (twice the WAV's sample bytes)
// take room only past their memory budget: the mix's whole, the stems' a
// share of theirs each.
TEST(RenderSize, EachStemNeedsItsWavAndItsFloatSamplesPastItsShareOfTheBudget) {
    const uint64_t budget = audio::SampleSpillFile::kDefaultMemoryBudget;
    struct Case {
        uint64_t sampleBytes;
        bool normalize;
        int stems;
        bool mixSpills;
        bool stemsSpill;
    };
    const Case cases[] = {
        {1000, false, 0, false, false},        {1000, true, 0, false, false},
        {1000, false, 3, false, false},        {1000, true, 16, false, false},
        {budget / 4, true, 1, false, false},   {budget / 4, true, 4, false, true},
        {budget / 4, false, 2, false, false},  {budget / 4 + 2, false, 2, false, true},
        {budget / 2, true, 0, false, false},   {budget / 2 + 2, true, 0, true, false},
        {budget, true, 0, true, false},        {budget, true, 2, true, true},
    };
    for (const Case& c : cases) {
        const uint64_t wav = wavecapture::kWaveHeaderSize + c.sampleBytes;
        const uint64_t floats = 2 * c.sampleBytes;
        const uint64_t expected =
            wav + (c.mixSpills ? floats : 0) + static_cast<uint64_t>(c.stems) * (wav + (c.stemsSpill ? floats : 0));
        EXPECT_EQ(RenderSize::TempFolderBytes(wav, c.normalize, c.stems), expected)
            << c.sampleBytes << " " << c.normalize << " " << c.stems;
    }
}

}  // namespace
}  // namespace tonalbox
