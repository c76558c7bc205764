#include <gtest/gtest.h>

#include "engine/ChannelUse.h"
#include "engine/RenderSize.h"
#include "platform/audio/SampleSpillFile.h"
#include "platform/wavecapture/IWaveCaptureFx.h"
#include "platform/wavecapture/StemCapture.h"

namespace tonalbox {
namespace {

using audio::MidiSequence;

struct ChannelEvent {
    uint64_t tick;
    uint8_t status, data1, data2;
};

// The events in a sequence of 480 ticks a quarter, ready to be read.
MidiSequence SequenceOf(std::initializer_list<ChannelEvent> events) {
    MidiSequence sequence;
    EXPECT_TRUE(sequence.SetDivision(480));
    for (const ChannelEvent& e : events) sequence.AddChannelEvent(e.tick, e.status, e.data1, e.data2);
    sequence.Finish();
    return sequence;
}

TEST(ChannelUse, CountsSoundingNotesAndTheProgramsTheyArePlayedWith) {
    const MidiSequence sequence = SequenceOf({
        // Channel 1: two notes on the default program, then program 5 twice
        // over (listed once), then back to 0; a note-on of velocity 0 is a
        // note-off.
        {0, 0x90, 60, 100}, {10, 0x90, 60, 0}, {20, 0x90, 62, 90},
        {30, 0xC0, 5, 0},   {40, 0x90, 64, 90}, {50, 0xC0, 5, 0},
        {60, 0x90, 65, 90}, {70, 0xC0, 0, 0},   {80, 0x90, 67, 90},
        // Channel 3 changes its program and controllers but plays nothing;
        // channel 16 plays one note after a program change.
        {0, 0xC2, 40, 0},   {0, 0xB2, 7, 100},  {0, 0xCF, 73, 0},   {5, 0x9F, 70, 1},
    });

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
    const uint64_t mix = audio::SampleSpillFile::kDefaultMemoryBudget;
    const uint64_t stems = wavecapture::StemCapture::kMemoryBudget;
    struct Case {
        uint64_t sampleBytes;
        bool normalize;
        int stems;
        bool mixSpills;
        bool stemsSpill;
    };
    const Case cases[] = {
        {1000, false, 0, false, false},         {1000, true, 0, false, false},
        {1000, false, 3, false, false},         {1000, true, 16, false, false},
        {stems / 4, false, 1, false, false},    {stems / 8, false, 4, false, false},
        {stems / 8 + 2, false, 4, false, true}, {mix / 2, true, 0, false, false},
        {mix / 2 + 2, true, 0, true, false},    {mix, true, 2, true, false},
        {stems / 4 + 2, true, 2, true, true},
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
