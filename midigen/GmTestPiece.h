#pragma once
// General MIDI pieces for benchmarks and level measurements: drums, bass,
// piano chords, string pads, a brass and a lead melody, arpeggios and
// sustain pedal, at 120 beats per minute, written as a format 1 file.

#include "midigen/MidiFileWriter.h"

namespace tonalbox::midigen {

class GmTestPiece {
public:
    // A piece of about `seconds` seconds. `dense`: all seven parts, loud,
    // with layered pads and sixteenth-note arpeggios; otherwise a plainer
    // band (drums, bass, piano, strings, melody) at General MIDI's default
    // channel volume and moderate velocities.
    static MidiFileWriter Build(int seconds, bool dense = true);
};

}  // namespace tonalbox::midigen
