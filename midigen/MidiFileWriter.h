#pragma once
// Builds Standard MIDI Files in memory for tests, benchmarks and examples:
// format 0, 1 or 2, any number of tracks, channel events, tempo and other
// meta events, SysEx, optional running status, metrical or SMPTE division,
// and the RIFF ("RMID") wrapping of .rmi files.
//
// Events are added per track at absolute tick positions in any order; the
// writer sorts each track by tick (stable: events on the same tick keep the
// order they were added in) and writes the delta times.

#include <cstdint>
#include <string>
#include <vector>

namespace tonalbox::midigen {

class MidiFileWriter {
public:
    enum class RunningStatus {
        Off,              // every event carries its status byte
        On,               // omitted when repeated; meta and SysEx cancel it
        AcrossMetaSysEx,  // omitted when repeated, even across meta and SysEx
    };

    explicit MidiFileWriter(int format = 1, int ticksPerQuarter = 480);

    void SetFormat(int format) { m_format = format; }
    int Format() const { return m_format; }
    void SetTicksPerQuarter(int ticks);
    // Frame-based division: fps is 24, 25, 29 (29.97 drop frame) or 30.
    void SetSmpteDivision(int framesPerSecond, int ticksPerFrame);
    void SetRunningStatus(RunningStatus mode) { m_runningStatus = mode; }
    // Write note-offs as note-on with velocity 0 (helps running status).
    void SetNoteOffAsZeroVelocity(bool on) { m_noteOffAsNoteOn = on; }
    // Append an end-of-track meta event to tracks that have none (default on).
    void SetAutoEndOfTrack(bool on) { m_autoEndOfTrack = on; }

    // Adds a track and returns its index. A writer starts with no tracks;
    // the event functions create tracks up to the index they are given.
    int AddTrack();
    int TrackCount() const { return static_cast<int>(m_tracks.size()); }

    void NoteOn(int track, uint32_t tick, int channel, int key, int velocity);
    void NoteOff(int track, uint32_t tick, int channel, int key, int velocity = 64);
    // Note-on at `tick` and note-off at `tick + duration`.
    void Note(int track, uint32_t tick, uint32_t duration, int channel, int key, int velocity = 100);
    void ProgramChange(int track, uint32_t tick, int channel, int program);
    void ControlChange(int track, uint32_t tick, int channel, int controller, int value);
    void PitchBend(int track, uint32_t tick, int channel, int value14);
    void ChannelPressure(int track, uint32_t tick, int channel, int value);

    // Tempo meta event (FF 51) in microseconds per quarter note.
    void Tempo(int track, uint32_t tick, uint32_t microsecondsPerQuarter);
    void TempoBpm(int track, uint32_t tick, double beatsPerMinute);
    void TimeSignature(int track, uint32_t tick, int numerator, int denominatorPower2);
    void TrackName(int track, uint32_t tick, const std::string& name);
    void Meta(int track, uint32_t tick, int type, const std::vector<uint8_t>& data);
    // At any tick: a gap too long for one delta time is bridged with empty
    // text events.
    void EndOfTrack(int track, uint64_t tick);
    // SysEx (F0 ...): `data` excludes the leading F0; a trailing F7 is added
    // when missing.
    void SysEx(int track, uint32_t tick, const std::vector<uint8_t>& data);
    // Bytes written as they are after the delta time (no status tracking).
    void Raw(int track, uint32_t tick, const std::vector<uint8_t>& bytes);

    // Common resets.
    void GmReset(int track, uint32_t tick);
    void GsReset(int track, uint32_t tick);
    void XgReset(int track, uint32_t tick);

    // The file's bytes.
    std::vector<uint8_t> Build() const;
    // The file wrapped as RIFF "RMID" with a "data" chunk.
    std::vector<uint8_t> BuildRmi() const;
    static std::vector<uint8_t> WrapRmi(const std::vector<uint8_t>& smf);

    bool Write(const std::string& path) const;
    bool WriteRmi(const std::string& path) const;
    static bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

    // Variable-length quantity encoding, as in delta times.
    static void AppendVarLen(std::vector<uint8_t>& out, uint32_t value);

private:
    enum class Kind { Channel, Meta, SysEx, Raw };
    struct Event {
        uint64_t tick = 0;
        Kind kind = Kind::Channel;
        std::vector<uint8_t> bytes;  // full event bytes (status first)
    };
    struct Track {
        std::vector<Event> events;
        bool hasEndOfTrack = false;
    };

    Track& TrackAt(int index);
    void Add(int track, uint64_t tick, Kind kind, std::vector<uint8_t> bytes);
    std::vector<uint8_t> BuildTrack(const Track& track) const;

    int m_format;
    uint16_t m_division;
    RunningStatus m_runningStatus = RunningStatus::Off;
    bool m_noteOffAsNoteOn = false;
    bool m_autoEndOfTrack = true;
    std::vector<Track> m_tracks;
};

}  // namespace tonalbox::midigen
