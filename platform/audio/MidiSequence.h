#pragma once
// A MIDI file as the scheduler plays it: one time-ordered list of events
// (all tracks merged, format 2 sequences one after another) with the
// file's timing (tempo map or frame-based division), so that the sample
// at which an event sounds and the tick at a given sample can be found.

#include <cstdint>
#include <vector>

namespace tonalbox::audio {

struct MidiEvent {
    uint64_t tick = 0;
    uint8_t status = 0;  // 0x80..0xEF channel message, 0xF0 SysEx, 0xFF tempo
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    // SysEx: offset and size of the message body (without F0 and F7) in
    // SysExData(); tempo: microseconds per quarter note in `offset`.
    uint32_t offset = 0;
    uint32_t size = 0;
};

class MidiSequence {
public:
    static constexpr uint8_t kTempo = 0xFF;
    static constexpr uint8_t kSysEx = 0xF0;

    // With timingOnly the sequence keeps what its timing needs and no
    // more: the tempo events, and of every other event only where it lies.
    // Its length, tempo map and times are those of the whole sequence;
    // it has no channel events or SysEx to play and no notes. Lengths of
    // many files are read that way without holding their music.
    explicit MidiSequence(bool timingOnly = false) : m_timingOnly(timingOnly) {}
    bool TimingOnly() const { return m_timingOnly; }

    // The header's division word: ticks per quarter note, or (top bit set)
    // frames per second and ticks per frame. Returns false for a division
    // that gives no timing (zero ticks).
    bool SetDivision(uint16_t division);
    bool IsSmpte() const { return (m_division & 0x8000u) != 0; }

    void AddChannelEvent(uint64_t tick, uint8_t status, uint8_t data1, uint8_t data2);
    void AddSysEx(uint64_t tick, const uint8_t* body, uint32_t size);
    void AddTempo(uint64_t tick, uint32_t microsecondsPerQuarter);
    // The piece lasts at least until `tick` (where a track ends).
    void ExtendTo(uint64_t tick);

    // Sorts the events by tick (events of one tick keep the order they were
    // added in), builds the tempo map and works out the length.
    void Finish();

    const std::vector<MidiEvent>& Events() const { return m_events; }
    const std::vector<uint8_t>& SysExData() const { return m_sysex; }
    bool HasNotes() const { return m_hasNotes; }
    // Where the piece ends: its last event, the end of the longest track
    // included (for format 2, of the last sequence), whether or not a note
    // sounds before it.
    uint64_t LengthTicks() const { return m_lengthTicks; }
    // The length in seconds, from the tempo map.
    double LengthSeconds() const { return SecondsAt(m_lengthTicks); }

    // Time of a tick in seconds from the start.
    double SecondsAt(uint64_t tick) const;
    // First sample at or after the tick's time at the given rate.
    uint64_t SampleAt(uint64_t tick, int sampleRate) const;
    // The tick that has been reached at the given sample (whole ticks).
    uint64_t TickAtSample(uint64_t sample, int sampleRate) const;

private:
    struct TempoSegment {
        uint64_t tick;         // where the segment starts
        long double seconds;   // time at that tick
        long double secondsPerTick;
    };
    long double SecondsAtExact(uint64_t tick) const;

    uint16_t m_division = 480;
    std::vector<MidiEvent> m_events;
    std::vector<uint8_t> m_sysex;
    std::vector<TempoSegment> m_tempoMap;
    uint64_t m_lengthTicks = 0;
    uint64_t m_endTick = 0;
    bool m_hasNotes = false;
    bool m_timingOnly = false;
};

}  // namespace tonalbox::audio
