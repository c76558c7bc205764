#include <gtest/gtest.h>

#include "engine/ChannelUse.h"
#include "engine/RenderSize.h"
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

TEST(RenderSize, EachStemNeedsItsWavAndItsFloatSamples) {
    const uint64_t samples = 1000;
    const uint64_t wav = wavecapture::kWaveHeaderSize + samples;
    struct Case {
        bool normalize;
        int stems;
        uint64_t expected;
    };
    for (const Case& c : {Case{false, 0, wav}, Case{true, 0, wav + 2 * samples},
                          Case{false, 3, wav + 3 * (wav + 2 * samples)},
                          Case{true, 2, wav + 2 * samples + 2 * (wav + 2 * samples)}})
        EXPECT_EQ(RenderSize::TempFolderBytes(wav, c.normalize, c.stems), c.expected) << c.normalize << c.stems;
}

}  // namespace
}  // namespace tonalbox
