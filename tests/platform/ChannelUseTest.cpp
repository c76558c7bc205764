#include <gtest/gtest.h>

#include "platform/audio/ChannelUse.h"

namespace tonalbox::audio {
namespace {

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

}  // namespace
}  // namespace tonalbox::audio
