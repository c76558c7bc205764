#include "engine/PieceLength.h"

#include "platform/audio/MidiFileReader.h"
#include "platform/audio/MidiSequence.h"

namespace tonalbox {

double PieceLength::Seconds(const std::string& path) {
    audio::MidiSequence timing(true);
    if (!audio::MidiFileReader::ReadFile(path, timing).ok()) return 0.0;
    const double seconds = timing.LengthSeconds();
    return seconds >= 0.0 ? seconds : 0.0;  // NaN too: it must sort somewhere
}

}  // namespace tonalbox
