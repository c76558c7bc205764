#pragma once
// The example pieces the project writes itself.

#include "midigen/MidiFileWriter.h"

namespace tonalbox::examples {

// A short piano piece: a melody over a broken-chord left hand, 16 bars in
// C major at 96 beats per minute (about 40 seconds).
midigen::MidiFileWriter PianoPiece();

// A band arrangement: drums, bass, electric piano, strings and a saxophone
// lead, 16 bars in A minor at 120 beats per minute (about 32 seconds).
midigen::MidiFileWriter BandPiece();

}  // namespace tonalbox::examples
