#pragma once
// tonalbox-convert: the conversion run without a window.

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace tonalbox::cli {

struct ConsoleIo {
    std::FILE* out = stdout;   // the summary, --help, --version, --list-ports
    std::FILE* err = stderr;   // progress, messages, questions
    std::FILE* in = stdin;     // answers
    bool errIsTerminal = false;
    bool inIsTerminal = false;
    int width = 80;
};

// The hint shown when no SoundFont is installed.
inline constexpr const char* kSoundFontHint =
    "Install a General MIDI SoundFont: apt-get install fluid-soundfont-gm";

// A SoundFont given or found that FluidSynth does not load.
inline constexpr const char* kCanNotLoadSoundFont = "Can not load SoundFont: %s.";

// Runs the command; args without the program name. Returns the exit code.
// cancelFlag is the Cancel button of every run (set by Ctrl-C).
int RunConvertCommand(const std::vector<std::string>& args, const std::string& programName,
                      const ConsoleIo& io, std::atomic<int>& cancelFlag);

}  // namespace tonalbox::cli
