#pragma once
// Pieces of very different density for level checks, in the tests and in
// the loudness measurements of bench/: one soft note, a solo piano line,
// and a loud arrangement on all sixteen channels.

#include "midigen/MidiFileWriter.h"

namespace tonalbox::midigen {

class LevelTestPieces {
public:
    // One piano note of about two seconds, soft by default.
    static MidiFileWriter SoftNote(int velocity = 20);
    // A solo piano melody in quarters and eighths, `seconds` long.
    static MidiFileWriter PianoLine(int seconds);
    // Fifteen instruments and drums at full volume, `seconds` long.
    static MidiFileWriter DenseArrangement(int seconds);
};

}  // namespace tonalbox::midigen
