#pragma once
// Every option a user sets, written once: the "Option.dat" field it is
// stored in, the values of its list with the labels the Options dialog
// shows, its default, and the command-line flag with its help text. The
// dialog, the command line, the settings file and the encoder all read
// these tables, so that a list changes in one place.

#include <span>
#include <string>
#include <string_view>

#include "engine/ChoiceTable.h"

namespace tonalbox {

struct ConversionSettings;

// The output formats by their codes. WAV and MP3 are the stored ones (the
// window's list, "Option.dat"); the others are written by the command line
// only.
enum class OutputFormat : int { Wav = 0, Mp3 = 1, Flac = 2, Opus = 3, Ogg = 4 };
enum class EncodeMode : int { Cbr = 0, Abr = 1, Vbr = 2, Preset = 3 };
enum class Mp3ChannelMode : int { Stereo = 0, JointStereo = 1, DualChannel = 2, Mono = 3 };

namespace options {

const ChoiceTable& OutputFormats();   // the output page's list: the stored formats
const ChoiceTable& AllOutputFormats();  // what --format takes: the stored ones first
// The file name extension of a format, without the dot; a code outside
// the list is written as WAV (as a stored value no list holds always was).
std::string_view OutputExtension(OutputFormat format);
// The format's name as AllOutputFormats() labels it.
std::string_view OutputFormatName(OutputFormat format);
const ChoiceTable& WavSampleRates();  // Hz
const ChoiceTable& WavChannels();     // 1 mono, 2 stereo
const ChoiceTable& Mp3SampleRates();  // Hz; 0 the input's rate
const ChoiceTable& Mp3ChannelModes();
const ChoiceTable& EncodeModes();
const ChoiceTable& Presets();         // value: the encoder's preset code
const ChoiceTable& Bitrates();        // kbit/s
const IntRange& VbrQualities();
const IntRange& TrackNumbers();

}  // namespace options

// One value of "Option.dat". An integer field has get and set, a text
// field has text.
struct StoredField {
    std::string_view name;  // the member it is kept in
    int (*get)(const ConversionSettings&) = nullptr;
    void (*set)(ConversionSettings&, int) = nullptr;
    std::string& (*text)(ConversionSettings&) = nullptr;
};

// The fields of "Option.dat" in their stored order.
std::span<const StoredField> StoredFields();
// The field of that name; nullptr when there is none.
const StoredField* FindStoredField(std::string_view name);

enum class OptionKind {
    Choice,  // a list position: `field` takes its value, `positionField` the position
    Number,  // a whole number within `range`
    Text,
    Folder,  // the output folder: made absolute, ends with a separator
    Genre,   // a genre name or number
    Set,     // a flag without a value that stores `setValue`
};

// The groups of the command line's help, in their order.
enum class UsageSection { Input, Output, Mp3, Wav, SndFile, Tag, Synthesizer, Other };

// One option as the user sees it. Its value goes to `field`; a list's
// position, where the file keeps it too, to `positionField`.
struct UserOption {
    std::string_view flag = {};  // "--bitrate"
    char shortFlag = 0;          // 'f' for -f; 0 for none
    OptionKind kind = OptionKind::Set;
    std::string_view field = {};
    std::string_view positionField = {};
    const ChoiceTable* choices = nullptr;  // Choice
    const IntRange* range = nullptr;       // Number
    bool numbersAllowed = false;  // Choice: the plain value is taken too ("192")
    bool keptOnLoad = false;      // a stored value outside the list loads as the default
    int setValue = 0;             // Set
    UsageSection section = UsageSection::Other;
    std::string_view valueName = {};    // "RATE" in the help
    std::string_view synopsis = {};     // replaces flag and value name in the help
    std::string_view help = {};         // empty for a Choice: the list's labels
    std::string_view validValues = {};  // replaces the list's labels in a usage error
    bool listed = true;  // false: the help names it on another option's line
};

// The options in the order the help lists them.
std::span<const UserOption> UserOptions();

}  // namespace tonalbox
