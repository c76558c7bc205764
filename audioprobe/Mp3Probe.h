#pragma once
// Reads back an MP3 file in tests and benchmarks: decodes it with libmpg123
// and reports its format, frame bitrates and whether its first frame is a
// Xing/Info frame.

#include <set>
#include <string>

namespace tonalbox::audioprobe {

struct Mp3Facts {
    bool decoded = false;        // libmpg123 found and decoded MPEG audio
    long sampleRate = 0;         // Hz
    int channels = 0;            // of the decoded audio
    int mpegVersion = 0;         // 1, 2, or 25 for MPEG 2.5
    int channelMode = -1;        // 0 stereo, 1 joint stereo, 2 dual, 3 mono
    long long samples = 0;       // decoded samples per channel (gapless)
    int frames = 0;              // decoded audio frames
    std::set<int> bitrates;      // kbit/s of the audio frames
    bool vbrStream = false;      // libmpg123 reports VBR or ABR
    bool copyright = false;      // header bits of the first audio frame
    bool original = false;
    bool privateBit = false;
    std::string infoTag;         // "Xing", "Info" or empty
    double rms = 0.0;            // of the decoded samples, full scale 32768
    double shareAbove = 0.0;     // of the first channel's energy, above splitHz
};

class Mp3Probe {
public:
    // splitHz > 0: also measures shareAbove.
    static Mp3Facts Read(const std::string& path, double splitHz = 0.0);
};

}  // namespace tonalbox::audioprobe
