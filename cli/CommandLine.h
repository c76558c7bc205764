#pragma once
// The converter's command line: the options change a ConversionSettings
// record (loaded from "Option.dat" before), the rest is what to do.

#include <string>
#include <vector>

#include "engine/ConversionSettings.h"
#include "engine/LoudnessOptions.h"

namespace tonalbox::cli {

struct CommandLine {
    std::vector<std::string> inputs;  // files and folders, as given
    std::string soundFont;            // --soundfont
    int jobs = 1;
    LoudnessOptions loudness;         // --loudness, --no-normalize
    bool outputDirGiven = false;
    bool listPorts = false;
    bool saveSettings = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Exit codes of the converter.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeNotConverted = 1;
inline constexpr int kExitUsage = 2;

inline constexpr int kMaxJobs = 64;

// Parses args (without the program name) in order, applying every setting
// option to settings as it comes. Returns false with a message in error
// for a usage error (unknown option, missing or bad value).
bool ParseCommandLine(const std::vector<std::string>& args, ConversionSettings& settings,
                      CommandLine& commandLine, std::string& error);

// The --help text.
std::string UsageText(const std::string& programName);

}  // namespace tonalbox::cli
