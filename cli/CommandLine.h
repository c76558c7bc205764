#pragma once
// The converter's command line: the options change a ConversionSettings
// record (loaded from "Option.dat" before), the rest is what to do.

#include <string>
#include <vector>

#include "engine/ConversionSettings.h"
#include "engine/LoudnessOptions.h"
#include "engine/SndFileOptions.h"
#include "engine/SynthOptions.h"

namespace tonalbox::cli {

struct CommandLine {
    std::vector<std::string> inputs;  // files and folders, as given
    // --soundfont, each file once, in the order given. With more than one,
    // every input is rendered once with each.
    std::vector<std::string> soundFonts;
    LoudnessOptions loudness;         // --loudness, --no-normalize
    SndFileOptions sndFile;           // --rate, --bits, --quality
    SynthOptions synth;               // --no-reverb, --no-chorus, --bank-select
    std::string filesFrom;            // --files-from ("-" standard input)
    std::string reportPath;           // --report
    int jobs = 0;                     // 0: one per core
    int shardIndex = 1;               // --shard K/N
    int shardCount = 1;
    bool recursive = false;
    bool nulSeparated = false;        // -0: --files-from is NUL-separated
    bool skipExisting = false;
    bool stems = false;               // --stems
    bool outputDirGiven = false;
    bool listPorts = false;
    bool saveSettings = false;
    bool quiet = false;
    bool verbose = false;             // the synthesizer's own log lines
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
// --jobs when it is not given: the number of cores.
int DefaultJobs();

bool ParseCommandLine(const std::vector<std::string>& args, ConversionSettings& settings,
                      CommandLine& commandLine, std::string& error);

// The --help text.
std::string UsageText(const std::string& programName);

}  // namespace tonalbox::cli
