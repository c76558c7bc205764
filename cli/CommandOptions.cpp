#include "cli/CommandOptions.h"

#include <algorithm>
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

// The rates FLAC, Opus and Ogg Vorbis can be rendered at.
constexpr int kSndFileRates[] = {22050, 44100, SndFileOptions::kOpusRate};
constexpr int kSndFileBits[] = {16, 24};

// "22050|44100|48000": the value name the help shows and the completion
// offers.
template <size_t N>
std::string Alternatives(const int (&values)[N]) {
    std::string text;
    for (int v : values) text += (text.empty() ? "" : "|") + std::to_string(v);
    return text;
}

const std::string kRateNames = Alternatives(kSndFileRates);
const std::string kBitNames = Alternatives(kSndFileBits);

// One of values, written as its number.
template <size_t N>
bool ApplyOneOf(const int (&values)[N], std::string_view flag, const std::string& v, int* target,
                std::string& e) {
    int number = 0;
    if (ParseInt(v, 0, 1000000, &number) && std::find(values, values + N, number) != values + N) {
        *target = number;
        return true;
    }
    std::string valid;
    for (int value : values) valid += (valid.empty() ? "\"" : ", \"") + std::to_string(value) + "\"";
    e = InvalidValue(flag, v, valid);
    return false;
}

// "gm|gs|xg|mma|auto", the values of --bank-select.
const std::string& BankSelectValues() {
    static const std::string values = [] {
        std::string text;
        for (const audio::BankSelectName& n : audio::BankSelectNames())
            text += (text.empty() ? "" : "|") + std::string(n.name);
        return text;
    }();
    return values;
}

bool ApplyBankSelect(const std::string& v, CommandLine& cl, std::string& e) {
    const std::string key = NormalizeChoice(v);
    for (const audio::BankSelectName& n : audio::BankSelectNames()) {
        if (key == n.name) {
            cl.synth.bankSelect = n.mode;
            return true;
        }
    }
    e = InvalidValue("--bank-select", v, "one of " + BankSelectValues());
    return false;
}

const std::vector<CommandOption> kCommandOptions = {
    {"--recursive", 'r', "", U::Input,
     "walk folders' sub-folders too; with -o each output\n"
     "keeps its path below the folder it was found in",
     Raise<&CommandLine::recursive>},
    {"--files-from", 0, "FILE", U::Input,
     "read more paths from FILE, one a line (- is\n"
     "standard input); relative paths are from the\n"
     "current folder",
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
    {"--soundfont", 0, "FILE", U::Synthesizer,
     "render with this SoundFont; given more than once,\n"
     "every file is rendered with each, into NAME.SF.EXT\n"
     "(SF: the SoundFont's file name without extension)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         std::string font;
         if (!TakePath(v, font, "--soundfont needs a file", e)) return false;
         if (std::find(cl.soundFonts.begin(), cl.soundFonts.end(), font) == cl.soundFonts.end())
             cl.soundFonts.push_back(font);
         return true;
     }},
    {"--rate", 0, kRateNames, U::SndFile,
     "the rate rendered and written (default " + std::to_string(SndFileOptions::kDefaultRate) +
         ";\nOpus is written at " + std::to_string(SndFileOptions::kOpusRate) + " only)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         return ApplyOneOf(kSndFileRates, "--rate", v, &cl.sndFile.sampleRate, e);
     }},
    {"--bits", 0, kBitNames, U::SndFile,
     "FLAC sample size (default " + std::to_string(SndFileOptions::kDefaultBits) +
         "; 24 holds the 16-bit\nrender's samples exactly)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         return ApplyOneOf(kSndFileBits, "--bits", v, &cl.sndFile.bits, e);
     }},
    {"--quality", 0, "N", U::SndFile,
     "Opus and Ogg Vorbis, 0 (smallest) to " + std::to_string(SndFileOptions::kMaxQuality) +
         " (best):\nOgg as oggenc -q N (default " + std::to_string(SndFileOptions::kDefaultOggQuality) +
         "), Opus\n6 + 25 x N kbit/s a channel (default: the\nencoder's own choice)",
     [](const std::string& v, CommandLine& cl, std::string& e) {
         if (ParseInt(v, 0, SndFileOptions::kMaxQuality, &cl.sndFile.quality)) return true;
         e = InvalidValue("--quality", v, IntegerFrom(0, SndFileOptions::kMaxQuality));
         return false;
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
    {"--no-reverb", 0, "", U::Synthesizer, "play without the synthesizer's reverb",
     [](const std::string&, CommandLine& cl, std::string&) {
         cl.synth.reverb = false;
         return true;
     }},
    {"--no-chorus", 0, "", U::Synthesizer, "play without the synthesizer's chorus",
     [](const std::string&, CommandLine& cl, std::string&) {
         cl.synth.chorus = false;
         return true;
     }},
    {"--bank-select", 0, BankSelectValues(), U::Synthesizer,
     "how Bank Select picks instruments until\n"
     "the file's first GM, GS or XG reset (default\n"
     "gs); auto: xg for a file whose first SysEx is\n"
     "an XG System On, gs for a GS Reset",
     ApplyBankSelect},
    {"--list-ports", 0, "", U::Synthesizer, "list the synthesizer ports and exit",
     Raise<&CommandLine::listPorts>},
    {"--save-settings", 0, "", U::Other,
     std::string("write the resulting settings to \"") + kSettingsFileName + "\"",
     Raise<&CommandLine::saveSettings>},
    {"--jobs", 'j', "N", U::Other,
     "convert N files at a time (1 to " + std::to_string(kMaxJobs) + ";\ndefault: one per core)",
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

bool CheckCommandOptions(const ConversionSettings& settings, const CommandLine& cl, std::string& error) {
    const int rate = cl.sndFile.sampleRate;
    if (settings.m_nOutputFormat == OutputFormat::Opus && rate != 0 && rate != SndFileOptions::kOpusRate) {
        error = "Opus is written at " + std::to_string(SndFileOptions::kOpusRate) + " Hz only; --rate " +
                std::to_string(rate) + " can not be used with it";
        return false;
    }
    return true;
}

std::string LufsText(double lufs) { return std::to_string(static_cast<int>(lufs)); }

const std::vector<CommandOption>& CommandOptions() { return kCommandOptions; }

}  // namespace tonalbox::cli
