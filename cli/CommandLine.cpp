#include "cli/CommandLine.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/CommandOptions.h"
#include "cli/OptionTables.h"
#include "engine/GenreNames.h"
#include "engine/SettingsFile.h"

namespace tonalbox::cli {

namespace {

// One option the parser knows: a stored setting from the registry or one
// of the command line's own.
struct KnownOption {
    std::string_view flag;
    const UserOption* setting = nullptr;
    const CommandOption* command = nullptr;

    bool TakesValue() const {
        return setting ? setting->kind != OptionKind::Set : !command->valueName.empty();
    }
};

std::optional<KnownOption> FindOption(std::string_view flag, char shortFlag) {
    const auto matches = [&](std::string_view f, char s) {
        return shortFlag ? s == shortFlag : f == flag;
    };
    for (const UserOption& o : UserOptions()) {
        if (matches(o.flag, o.shortFlag)) return KnownOption{o.flag, &o, nullptr};
    }
    for (const CommandOption& o : CommandOptions()) {
        if (matches(o.flag, o.shortFlag)) return KnownOption{o.flag, nullptr, &o};
    }
    return std::nullopt;
}

bool Apply(const KnownOption& option, const std::string& value, ConversionSettings& s,
           CommandLine& cl, std::string& error) {
    if (option.command) return option.command->apply(value, cl, error);
    const UserOption& setting = *option.setting;
    if (setting.kind == OptionKind::Folder && !value.empty()) cl.outputDirGiven = true;
    return ApplySetting(setting, value, s, error);
}

// An argument that starts with '-': "--name", "--name=value", "-x" or
// "-xvalue". False with a message in error for an unknown option.
bool SplitOption(const std::string& arg, std::optional<KnownOption>& option,
                 std::optional<std::string>& value, std::string& error) {
    if (arg[1] == '-') {
        const auto eq = arg.find('=');
        option = FindOption(std::string_view(arg).substr(0, eq), 0);
        if (eq != std::string::npos) value = arg.substr(eq + 1);
    } else {
        option = FindOption({}, arg[1]);
        if (arg.size() > 2) value = arg.substr(2);
    }
    if (!option) error = "unknown option: " + arg;
    return option.has_value();
}

}  // namespace

int DefaultJobs() {
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, kMaxJobs);
}

bool ParseCommandLine(const std::vector<std::string>& args, ConversionSettings& s,
                      CommandLine& cl, std::string& error) {
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
        std::optional<KnownOption> option;
        std::optional<std::string> value;
        if (!SplitOption(arg, option, value, error)) return false;
        const std::string name(option->flag);
        if (!option->TakesValue() && value) {
            error = "option " + name + " takes no value";
            return false;
        }
        if (option->TakesValue() && !value) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!Apply(*option, value.value_or(""), s, cl, error)) return false;
    }
    return CheckCommandOptions(s, cl, error);
}

namespace {

// The help lists an option as "  -f, --format mp3|wav" and starts its text
// in this column; a longer synopsis gets a gap of its own. No line is
// wider than a terminal's 80 columns.
constexpr std::size_t kHelpColumn = 30;
constexpr std::size_t kHelpGap = 3;
constexpr std::size_t kHelpWidth = 80;

// Appends words to text, a blank apart; a word that would pass the width
// starts a new line at indent.
void AppendWords(std::string& text, const std::vector<std::string>& words, std::size_t indent) {
    const auto lineStart = text.rfind('\n');
    std::size_t column = lineStart == std::string::npos ? text.size() : text.size() - lineStart - 1;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && column + 1 + words[i].size() > kHelpWidth) {
            text += '\n';
            text.append(indent, ' ');
            column = indent;
        } else if (i > 0) {
            text += ' ';
            ++column;
        }
        text += words[i];
        column += words[i].size();
    }
}

// The words of one line of help: a quoted label ("Fast standard") is one.
std::vector<std::string> WordsOf(std::string_view line) {
    std::vector<std::string> words(1);
    bool quoted = false;
    for (char c : line) {
        if (c == ' ' && !quoted) {
            words.emplace_back();
            continue;
        }
        if (c == '"') quoted = !quoted;
        words.back() += c;
    }
    return words;
}

// The lists of values are made from the tables, so they are broken to the
// width here; a written line break stays.
std::string HelpLine(char shortFlag, const std::string& synopsis, const std::string& help) {
    std::string line = shortFlag ? std::string("  -") + shortFlag + ", " : std::string(6, ' ');
    line += synopsis;
    if (!help.empty()) {
        line.append(line.size() < kHelpColumn ? kHelpColumn - line.size() : kHelpGap, ' ');
        const std::string_view text(help);
        for (std::size_t from = 0;;) {
            const std::size_t end = text.find('\n', from);
            AppendWords(line, WordsOf(text.substr(from, end - from)), kHelpColumn);
            if (end == std::string_view::npos) break;
            line += '\n';
            line.append(kHelpColumn, ' ');
            from = end + 1;
        }
    }
    return line + "\n";
}

std::string Synopsis(std::string_view flag, std::string_view valueName) {
    std::string text(flag);
    if (!valueName.empty()) text += " " + std::string(valueName);
    return text;
}

struct Section {
    UsageSection section;
    const char* heading;
};

constexpr Section kSections[] = {
    {UsageSection::Input, "\nInput:\n"},
    {UsageSection::Output, "\nOutput:\n"},
    {UsageSection::Mp3, "MP3:\n"},
    {UsageSection::Wav, "WAV:\n"},
    {UsageSection::SndFile, "FLAC, Opus, Ogg Vorbis (channels as --wav-channels):\n"},
    {UsageSection::Tag, "Tag (every output of the run but a WAV):\n"},
    {UsageSection::Synthesizer, "Synthesizer:\n"},
    {UsageSection::Other, "Other:\n"},
};

// A section's stored settings first, then the command line's own options.
std::string OptionsHelp() {
    std::string text;
    for (const Section& section : kSections) {
        text += section.heading;
        for (const UserOption& o : UserOptions()) {
            if (o.section != section.section || !o.listed) continue;
            const std::string synopsis =
                o.synopsis.empty() ? Synopsis(o.flag, o.valueName) : std::string(o.synopsis);
            text += HelpLine(o.shortFlag, synopsis, HelpText(o));
        }
        for (const CommandOption& o : CommandOptions()) {
            if (o.section == section.section)
                text += HelpLine(o.shortFlag, Synopsis(o.flag, o.valueName), o.help);
        }
    }
    return text;
}

// "Genres: 0 Blues, 1 Classic Rock, ...", broken between two genres.
std::string GenreLines() {
    std::vector<std::string> words = {"Genres:"};
    for (int i = 0; i < kGenreCount; ++i)
        words.push_back(std::to_string(i) + " " + GenreNames[i] + (i + 1 < kGenreCount ? "," : ""));
    std::string text;
    AppendWords(text, words, 0);
    return text + "\n";
}

}  // namespace

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName + " [OPTIONS] FILE...\n"
           "Converts MIDI files to MP3, WAV, FLAC, Opus or Ogg Vorbis. A folder adds its\n"
           ".mid, .midi, .kar and .rmi files in name order. A file that is named twice is\n"
           "converted once. Starts from the settings in \"" + std::string(kSettingsFileName) + "\" (the window's),\n"
           "then applies the options; FLAC, Opus and Ogg Vorbis are never saved there.\n" +
           OptionsHelp() +
           "\n"
           "Values are the Options dialog's labels (any case; blanks may be left out or\n"
           "written as '-') or the plain numbers they stand for.\n"
           "Exit status: 0 every file converted (or skipped by --skip-existing), 1 some not,\n"
           "2 usage error.\n"
           "\n" +
           GenreLines();
}

}  // namespace tonalbox::cli
