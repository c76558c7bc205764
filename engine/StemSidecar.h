#pragma once
// The description written beside an output with stems ("x.json"): the
// SoundFont, the rate and length, and for each stem its MIDI channel, its
// file, the programs it plays (by General MIDI name; channel 10 by drum
// kit), its note count and its integrated loudness as written.

#include <cstdint>
#include <string>
#include <vector>

namespace tonalbox {

struct StemSidecar {
    struct Stem {
        int channel = 0;           // 1..16
        std::string file;          // the stem's file name, beside the sidecar
        std::vector<int> programs; // 0..127, in the order first played
        uint64_t notes = 0;
        double loudnessLufs = 0.0; // -infinity (written as null) when silent
    };
    std::string mix;  // the mix's file name
    std::string soundFont;
    int sampleRate = 0;
    int channels = 0;  // of the audio: 1 or 2
    double seconds = 0.0;
    std::vector<Stem> stems;

    // The JSON text, pretty-printed, ending with a newline.
    std::string Text() const;
};

}  // namespace tonalbox
