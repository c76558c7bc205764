#pragma once
// Reads Standard MIDI Files as people have them into a MidiSequence:
// formats 0, 1 and 2, running status (kept across meta and SysEx events),
// data bytes with the top bit set (their low seven bits count),
// metrical or frame-based division, RIFF "RMID" wrapping, and damaged
// files (missing end-of-track, truncated last track, trailing garbage),
// of which it keeps what can be read. Never reads outside its input.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Result.h"
#include "platform/audio/MidiSequence.h"

namespace tonalbox::audio {

class MidiFileReader {
public:
    // `out` is read afresh, keeping only its timing if it was made so.
    // 0 on success; kNotFound when the file cannot be opened,
    // kUnsupportedStream for an empty file or one that is not MIDI,
    // kInvalidFile for a header that cannot be read.
    static platform::Result ReadFile(const std::string& path, MidiSequence& out);
    static platform::Result Read(const uint8_t* data, size_t size, MidiSequence& out);

    // Largest file the reader accepts (bigger ones are not MIDI files).
    static constexpr size_t kMaxFileSize = 64u * 1024u * 1024u;

private:
    static platform::Result ReadSmf(const uint8_t* data, size_t size, MidiSequence& out);
    // Reads one track chunk's events starting at tick `start`; returns the
    // tick where the track ends: its end-of-track event, or the last event
    // read whole when there is none.
    static uint64_t ReadTrack(const uint8_t* data, size_t size, uint64_t start, MidiSequence& out);
};

}  // namespace tonalbox::audio
