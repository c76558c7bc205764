#pragma once
// The options of the command line that are no stored setting: what to
// convert, how many at a time, and what to show. The stored settings'
// options come from the option registry.

#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandLine.h"
#include "engine/OptionRegistry.h"

namespace tonalbox::cli {

struct CommandOption {
    std::string_view flag;       // "--jobs"
    char shortFlag;              // 'j' for -j; 0 for none
    std::string_view valueName;  // "N" in the help; empty: the option takes no value
    UsageSection section;
    std::string help;
    // Takes the option's value (empty for an option without one); false
    // with a message in error for a bad value.
    bool (*apply)(const std::string& value, CommandLine& commandLine, std::string& error);
};

// The options in the order the help lists them within their section.
const std::vector<CommandOption>& CommandOptions();

// What the options say together, once all are read: false with a message
// in error for a combination that cannot be written (Opus at a rate other
// than 48000 Hz).
bool CheckCommandOptions(const ConversionSettings& settings, const CommandLine& commandLine,
                         std::string& error);

// A loudness limit as the help and the messages write it ("-16").
std::string LufsText(double lufs);

}  // namespace tonalbox::cli
