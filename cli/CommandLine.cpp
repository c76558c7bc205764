#include "cli/CommandLine.h"

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <system_error>
#include <thread>

#include "cli/OptionTables.h"
#include "engine/GenreNames.h"
#include "platform/ProgramPaths.h"

namespace tonalbox::cli {

namespace {

using Setter = std::function<bool(const std::string& value, std::string& error)>;

std::string Invalid(const std::string& option, const std::string& value,
                    const std::string& valid) {
    return "invalid value '" + value + "' for " + option + "; valid values: " + valid;
}

bool Choose(const ChoiceList& list, const std::string& option, const std::string& value,
            int* index, std::string& error) {
    *index = list.Find(value);
    if (*index < 0) {
        error = Invalid(option, value, list.ValidValues());
        return false;
    }
    return true;
}

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(folder, ec);
    std::string text = ec ? folder : absolute.lexically_normal().string();
    return platform::WithTrailingSeparator(text);
}

bool ParseShard(const std::string& text, int* index, int* count) {
    const auto slash = text.find('/');
    if (slash == std::string::npos) return false;
    return ParseInt(text.substr(slash + 1), 1, 1000000, count) &&
           ParseInt(text.substr(0, slash), 1, *count, index);
}

}  // namespace

int DefaultJobs() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxJobs);
}

bool ParseCommandLine(const std::vector<std::string>& args, ConversionSettings& s,
                      CommandLine& cl, std::string& error) {
    auto& mp3 = s.m_mp3;
    auto& tag = s.m_tag;

    // Options without a value.
    const std::map<std::string, std::function<void()>> flags = {
        {"--same-as-source", [&] { s.m_bSameAsSource = 1; }},
        {"--overwrite", [&] { s.m_bOverwrite = 1; }},
        {"--no-overwrite", [&] { s.m_bOverwrite = 0; }},
        {"--copyright", [&] { mp3.m_bCopyright = 1; }},
        {"--no-copyright", [&] { mp3.m_bCopyright = 0; }},
        {"--original", [&] { mp3.m_bOriginal = 1; }},
        {"--no-original", [&] { mp3.m_bOriginal = 0; }},
        {"--private", [&] { mp3.m_bPrivate = 1; }},
        {"--no-private", [&] { mp3.m_bPrivate = 0; }},
        {"--list-ports", [&] { cl.listPorts = true; }},
        {"--save-settings", [&] { cl.saveSettings = true; }},
        {"--no-normalize", [&] { cl.loudness.normalize = false; }},
        {"--quiet", [&] { cl.quiet = true; }},
        {"--verbose", [&] { cl.verbose = true; }},
        {"--recursive", [&] { cl.recursive = true; }},
        {"--null", [&] { cl.nulSeparated = true; }},
        {"--skip-existing", [&] { cl.skipExisting = true; }},
        {"--help", [&] { cl.help = true; }},
        {"--version", [&] { cl.version = true; }},
    };

    // Options with a value.
    const std::map<std::string, Setter> valued = {
        {"--format",
         [&](const std::string& v, std::string& e) {
             const std::string key = NormalizeChoice(v);
             if (key == "mp3") {
                 s.m_nOutputFormat = 1;
             } else if (key == "wav") {
                 s.m_nOutputFormat = 0;
             } else {
                 e = Invalid("--format", v, "\"mp3\", \"wav\"");
                 return false;
             }
             return true;
         }},
        {"--output-dir",
         [&](const std::string& v, std::string& e) {
             if (v.empty()) {
                 e = "--output-dir needs a folder";
                 return false;
             }
             s.m_strOutputFolder = AbsoluteFolder(v);
             s.m_bSameAsSource = 0;
             s.m_bUseTempFolder = 0;
             cl.outputDirGiven = true;
             return true;
         }},
        {"--bitrate",
         [&](const std::string& v, std::string& e) {
             int i = 0;
             if (!Choose(Bitrates(), "--bitrate", v, &i, e)) return false;
             mp3.m_nBitrateIndex = i;
             mp3.m_nBitrate = Bitrates().choices[static_cast<size_t>(i)].value;
             return true;
         }},
        {"--mode",
         [&](const std::string& v, std::string& e) {
             return Choose(EncodeModes(), "--mode", v, &mp3.m_nEncodeMode, e);
         }},
        {"--preset",
         [&](const std::string& v, std::string& e) {
             return Choose(Presets(), "--preset", v, &mp3.m_nPreset, e);
         }},
        {"--vbr-quality",
         [&](const std::string& v, std::string& e) {
             if (!ParseInt(v, 0, 9, &mp3.m_nVbrQuality)) {
                 e = Invalid("--vbr-quality", v, "an integer from 0 to 9");
                 return false;
             }
             return true;
         }},
        {"--mp3-rate",
         [&](const std::string& v, std::string& e) {
             int i = 0;
             if (!Choose(Mp3SampleRates(), "--mp3-rate", v, &i, e)) return false;
             mp3.m_nSampleRateIndex = i;
             mp3.m_nOutSampleRate = Mp3SampleRates().choices[static_cast<size_t>(i)].value;
             return true;
         }},
        {"--mp3-channels",
         [&](const std::string& v, std::string& e) {
             return Choose(Mp3ChannelModes(), "--mp3-channels", v, &mp3.m_nChannelMode, e);
         }},
        {"--wav-rate",
         [&](const std::string& v, std::string& e) {
             int i = 0;
             if (!Choose(WavSampleRates(), "--wav-rate", v, &i, e)) return false;
             s.m_nWavSampleRateIndex = i;
             s.m_nWavSampleRate = WavSampleRates().choices[static_cast<size_t>(i)].value;
             return true;
         }},
        {"--wav-channels",
         [&](const std::string& v, std::string& e) {
             int i = 0;
             if (!Choose(WavChannelChoices(), "--wav-channels", v, &i, e)) return false;
             s.m_nWavChannels = i + 1;
             return true;
         }},
        {"--title", [&](const std::string& v, std::string&) { tag.m_strTitle = v; return true; }},
        {"--artist", [&](const std::string& v, std::string&) { tag.m_strArtist = v; return true; }},
        {"--album", [&](const std::string& v, std::string&) { tag.m_strAlbum = v; return true; }},
        {"--year", [&](const std::string& v, std::string&) { tag.m_strYear = v; return true; }},
        {"--comment",
         [&](const std::string& v, std::string&) { tag.m_strComment = v; return true; }},
        {"--track",
         [&](const std::string& v, std::string& e) {
             if (!ParseInt(v, 0, 255, &tag.m_nTrack)) {
                 e = Invalid("--track", v, "an integer from 0 to 255");
                 return false;
             }
             return true;
         }},
        {"--genre",
         [&](const std::string& v, std::string& e) {
             const int genre = FindGenre(v);
             if (genre < 0) {
                 e = Invalid("--genre", v,
                             "a genre name such as \"Rock\" or \"Classical\", or a number "
                             "from 0 to " + std::to_string(kGenreCount - 1) +
                                 " (see --help)");
                 return false;
             }
             tag.m_nGenre = genre;
             return true;
         }},
        {"--soundfont",
         [&](const std::string& v, std::string& e) {
             if (v.empty()) {
                 e = "--soundfont needs a file";
                 return false;
             }
             cl.soundFont = v;
             return true;
         }},
        {"--files-from",
         [&](const std::string& v, std::string& e) {
             if (v.empty()) {
                 e = "--files-from needs a file (or - for standard input)";
                 return false;
             }
             cl.filesFrom = v;
             return true;
         }},
        {"--report",
         [&](const std::string& v, std::string& e) {
             if (v.empty()) {
                 e = "--report needs a file";
                 return false;
             }
             cl.reportPath = v;
             return true;
         }},
        {"--shard",
         [&](const std::string& v, std::string& e) {
             if (!ParseShard(v, &cl.shardIndex, &cl.shardCount)) {
                 e = Invalid("--shard", v, "K/N with 1 <= K <= N, e.g. 2/8");
                 return false;
             }
             return true;
         }},
        {"--jobs",
         [&](const std::string& v, std::string& e) {
             if (!ParseInt(v, 1, kMaxJobs, &cl.jobs)) {
                 e = Invalid("--jobs", v, "an integer from 1 to " + std::to_string(kMaxJobs));
                 return false;
             }
             return true;
         }},
        {"--loudness",
         [&](const std::string& v, std::string& e) {
             char* end = nullptr;
             const double lufs = std::strtod(v.c_str(), &end);
             if (v.empty() || end != v.c_str() + v.size() || !(lufs >= LoudnessOptions::kMinTargetLufs) ||
                 !(lufs <= LoudnessOptions::kMaxTargetLufs)) {
                 e = Invalid("--loudness", v, "a loudness in LUFS from -30 to -10");
                 return false;
             }
             cl.loudness.targetLufs = lufs;
             return true;
         }},
    };

    const std::map<char, std::string> shortNames = {
        {'f', "--format"}, {'o', "--output-dir"}, {'j', "--jobs"},
        {'q', "--quiet"},  {'h', "--help"},       {'V', "--version"},
        {'r', "--recursive"}, {'0', "--null"},
    };

    cl.jobs = DefaultJobs();
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            cl.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        std::string name;
        std::string value;
        bool hasValue = false;
        if (arg[1] == '-') {
            const auto eq = arg.find('=');
            name = arg.substr(0, eq);
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                hasValue = true;
            }
        } else {
            const auto it = shortNames.find(arg[1]);
            if (it == shortNames.end()) {
                error = "unknown option: " + arg;
                return false;
            }
            name = it->second;
            if (arg.size() > 2) {
                value = arg.substr(2);
                hasValue = true;
            }
        }

        if (const auto flag = flags.find(name); flag != flags.end()) {
            if (hasValue) {
                error = "option " + name + " takes no value";
                return false;
            }
            flag->second();
            continue;
        }
        const auto setter = valued.find(name);
        if (setter == valued.end()) {
            error = "unknown option: " + arg;
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!setter->second(value, error)) return false;
    }
    return true;
}

std::string UsageText(const std::string& programName) {
    std::string genres;
    for (int i = 0; i < kGenreCount; ++i) {
        if (i > 0) genres += ", ";
        genres += std::to_string(i) + " " + GenreNames[i];
    }
    return "Usage: " + programName + " [OPTIONS] FILE...\n"
           "Converts MIDI files to MP3 or WAV. A folder adds its .mid, .midi, .kar and .rmi\n"
           "files in name order. A file that is named twice is converted once. Starts from\n"
           "the settings in \"Option.dat\" (the window's), then applies the options.\n"
           "\n"
           "Input:\n"
           "  -r, --recursive             walk folders' sub-folders too; with -o each output\n"
           "                              keeps its path below the folder it was found in\n"
           "      --files-from FILE       read more paths from FILE, one a line (- is standard\n"
           "                              input); relative paths are from the current folder\n"
           "  -0, --null                  the paths in --files-from are separated by NUL\n"
           "      --shard K/N             convert only every Nth file of the list, from the\n"
           "                              Kth on (K = 1..N): N such commands share the work\n"
           "\n"
           "Output:\n"
           "  -f, --format mp3|wav        output format\n"
           "  -o, --output-dir DIR        put the outputs into DIR (created when missing)\n"
           "      --same-as-source        put each output next to its MIDI file\n"
           "      --overwrite             replace existing outputs without asking\n"
           "      --no-overwrite          ask before replacing (No without a terminal)\n"
           "      --skip-existing         leave a file whose output exists (to resume a run)\n"
           "      --report FILE           append a JSON line per file, and one with the\n"
           "                              totals, to FILE (created when missing)\n"
           "MP3:\n"
           "      --bitrate RATE          " + Bitrates().ValidValues() + "\n"
           "      --mode MODE             " + EncodeModes().ValidValues() + "\n"
           "      --preset NAME           " + Presets().ValidValues() + "\n"
           "      --vbr-quality N         0 (best) to 9\n"
           "      --mp3-rate RATE         " + Mp3SampleRates().ValidValues() + "\n"
           "      --mp3-channels MODE     " + Mp3ChannelModes().ValidValues() + "\n"
           "      --copyright, --original, --private   set the frame bits\n"
           "      --no-copyright, --no-original, --no-private   clear them\n"
           "WAV:\n"
           "      --wav-rate RATE         " + WavSampleRates().ValidValues() + "\n"
           "      --wav-channels MODE     " + WavChannelChoices().ValidValues() + "\n"
           "Tag (every MP3 of the run):\n"
           "      --title, --artist, --album, --year, --comment TEXT\n"
           "      --track N               0 to 255\n"
           "      --genre NAME|N          a genre name or its number\n"
           "Synthesizer:\n"
           "      --soundfont FILE        render with this SoundFont\n"
           "      --loudness LUFS         bring every file to this loudness, -30 to -10\n"
           "                              (default -16; peaks stay at or below -1 dBTP)\n"
           "      --no-normalize          keep the synthesizer's own level instead\n"
           "      --list-ports            list the synthesizer ports and exit\n"
           "Other:\n"
           "      --save-settings         write the resulting settings to \"Option.dat\"\n"
           "  -j, --jobs N                convert N files at a time (1 to " +
           std::to_string(kMaxJobs) + "; default: one per core)\n"
           "  -q, --quiet                 no progress output\n"
           "      --verbose               show the synthesizer's own log lines too\n"
           "  -h, --help                  this text\n"
           "  -V, --version               the program's version\n"
           "\n"
           "Values are the Options dialog's labels (any case; blanks may be left out or\n"
           "written as '-') or the plain numbers they stand for.\n"
           "Exit status: 0 every file converted (or skipped by --skip-existing), 1 some not,\n"
           "2 usage error.\n"
           "\n"
           "Genres: " + genres + "\n";
}

}  // namespace tonalbox::cli
