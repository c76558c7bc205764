#include "cli/CommandOptions.h"

#include <cstdlib>

#include "cli/OptionTables.h"
#include "engine/LoudnessOptions.h"
#include "engine/SettingsFile.h"

namespace tonalbox::cli {

namespace {

using U = UsageSection;

// An option without a value that switches a behaviour on.
template <bool CommandLine::*Member>
bool Raise(const std::string&, CommandLine& cl, std::string&) {
    cl.*Member = true;
    return true;
}

// The value itself, which must not be empty.
bool TakePath(const std::string& value, std::string& target, const std::string& missing,
              std::string& error) {
    if (value.empty()) {
        error = missing;
        return false;
    }
    target = value;
    return true;
}

bool ParseShard(const std::string& text, int* index, int* count) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return false;
    return ParseInt(text.substr(slash + 1), 1, 1000000, count) &&
           ParseInt(text.substr(0, slash), 1, *count, index);
}

std::string LoudnessRange() {
    return LufsText(LoudnessOptions::kMinTargetLufs) + " to " + LufsText(LoudnessOptions::kMaxTargetLufs);
}

bool ApplyLoudness(const std::string& v, CommandLine& cl, std::string& e) {
    char* end = nullptr;
    const double lufs = std::strtod(v.c_str(), &end);
    if (v.empty() || end != v.c_str() + v.size() || !(lufs >= LoudnessOptions::kMinTargetLufs) ||
        !(lufs <= LoudnessOptions::kMaxTargetLufs)) {
        e = InvalidValue("--loudness", v, "a loudness in LUFS from " + LoudnessRange());
        return false;
    }
    cl.loudness.targetLufs = lufs;
    return true;
}

const std::vector<CommandOption> kCommandOptions = {
    {"--recursive", 'r', "", U::Input,
     "walk folders' sub-folders too; with -o each output\n"
     "keeps its path below the folder it was found in",
     Raise<&CommandLine::recursive>},
    {"--files-from", 0, "FILE", U::Input,
     "read more paths from FILE, one a line (- is standard\n"
     "input); relative paths are from the current folder",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         return TakePath(v, cl.filesFrom, "--files-from needs a file (or - for standard input)", e);
     }},
    {"--null", '0', "", U::Input, "the paths in --files-from are separated by NUL",
     Raise<&CommandLine::nulSeparated>},
    {"--shard", 0, "K/N", U::Input,
     "convert only every Nth file of the list, from the\n"
     "Kth on (K = 1..N): N such commands share the work",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         if (ParseShard(v, &cl.shardIndex, &cl.shardCount)) return true;
         e = InvalidValue("--shard", v, "K/N with 1 <= K <= N, e.g. 2/8");
         return false;
     }},
    {"--skip-existing", 0, "", U::Output, "leave a file whose output exists (to resume a run)",
     Raise<&CommandLine::skipExisting>},
    {"--stems", 0, "", U::Output,
     "also write x.chNN.EXT per MIDI channel that plays\n"
     "(NN = 01..16) and x.json that describes them",
     Raise<&CommandLine::stems>},
    {"--report", 0, "FILE", U::Output,
     "append a JSON line per file, and one with the\n"
     "totals, to FILE (created when missing)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         return TakePath(v, cl.reportPath, "--report needs a file", e);
     }},
    {"--soundfont", 0, "FILE", U::Synthesizer, "render with this SoundFont",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         return TakePath(v, cl.soundFont, "--soundfont needs a file", e);
     }},
    {"--loudness", 0, "LUFS", U::Synthesizer,
     "bring every file to this loudness, " + LoudnessRange() + "\n(default " +
         LufsText(LoudnessOptions::kDefaultTargetLufs) + "; peaks stay at or below -1 dBTP)",
     ApplyLoudness},
    {"--no-normalize", 0, "", U::Synthesizer, "keep the synthesizer's own level instead",
     [](const std::string&, CommandLine& cl, std::string&) {
         cl.loudness.normalize = false;
         return true;
     }},
    {"--list-ports", 0, "", U::Synthesizer, "list the synthesizer ports and exit",
     Raise<&CommandLine::listPorts>},
    {"--save-settings", 0, "", U::Other,
     std::string("write the resulting settings to \"") + kSettingsFileName + "\"",
     Raise<&CommandLine::saveSettings>},
    {"--jobs", 'j', "N", U::Other,
     "convert N files at a time (1 to " + std::to_string(kMaxJobs) + "; default: one per core)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         if (ParseInt(v, 1, kMaxJobs, &cl.jobs)) return true;
         e = InvalidValue("--jobs", v, IntegerFrom(1, kMaxJobs));
         return false;
     }},
    {"--quiet", 'q', "", U::Other, "no progress output",
     Raise<&CommandLine::quiet>},
    {"--verbose", 0, "", U::Other, "show synthesizer log lines and failure details",
     Raise<&CommandLine::verbose>},
    {"--help", 'h', "", U::Other, "this text",
     Raise<&CommandLine::help>},
    {"--version", 'V', "", U::Other, "the program's version",
     Raise<&CommandLine::version>},
};

}  // namespace

std::string LufsText(double lufs) { return std::to_string(static_cast<int>(lufs)); }

const std::vector<CommandOption>& CommandOptions() { return kCommandOptions; }

}  // namespace tonalbox::cli
