#pragma once
// A MIDI file's playing time read without loading it for playing: the
// header and the tempo map only, so that the lengths of a whole batch are
// known before any of it is rendered.

#include <string>

namespace tonalbox {

class PieceLength {
public:
    // The seconds CMidiMusic::GetDuration gives once the file is loaded;
    // 0 for a file that can not be read as MIDI (its run fails it later).
    static double Seconds(const std::string& path);
};

}  // namespace tonalbox
