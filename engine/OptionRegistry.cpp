#include "engine/OptionRegistry.h"

#include <array>
#include <type_traits>
#include <utility>

#include "engine/ConversionSettings.h"
#include "platform/lame_enc/LameEncInterface.h"

namespace tonalbox {

namespace options {

namespace {

constexpr int Stored(OutputFormat f) { return static_cast<int>(f); }
constexpr int Stored(EncodeMode m) { return static_cast<int>(m); }
constexpr int Stored(Mp3ChannelMode m) { return static_cast<int>(m); }

// Every output format; a position is the format's code, and the alias is
// the extension of its files. The output page's list is the first two.
constexpr OptionChoice kOutputFormatChoices[] = {{Stored(OutputFormat::Wav), "WAV", "wav"},
                                                 {Stored(OutputFormat::Mp3), "MP3", "mp3"},
                                                 {Stored(OutputFormat::Flac), "FLAC", "flac"},
                                                 {Stored(OutputFormat::Opus), "Opus", "opus"},
                                                 {Stored(OutputFormat::Ogg), "Ogg Vorbis", "ogg"}};
constexpr size_t kStoredOutputFormats = 2;
constexpr OptionChoice kWavSampleRateChoices[] = {
    {11025, "11025 Hz"}, {22050, "22050 Hz"}, {44100, "44100 Hz"}};
constexpr OptionChoice kWavChannelChoices[] = {{1, "Mono"}, {2, "Stereo"}};
constexpr OptionChoice kMp3SampleRateChoices[] = {
    {0, "Same as input", "same"}, {11025, "11025 Hz"}, {22050, "22050 Hz"}, {44100, "44100 Hz"}};
constexpr OptionChoice kMp3ChannelModeChoices[] = {
    {Stored(Mp3ChannelMode::Stereo), "Stereo"},
    {Stored(Mp3ChannelMode::JointStereo), "Joint stereo", "joint"},
    {Stored(Mp3ChannelMode::DualChannel), "Dual Channel", "dual"},
    {Stored(Mp3ChannelMode::Mono), "Mono"}};
constexpr OptionChoice kEncodeModeChoices[] = {{Stored(EncodeMode::Cbr), "CBR"},
                                               {Stored(EncodeMode::Abr), "ABR"},
                                               {Stored(EncodeMode::Vbr), "VBR"},
                                               {Stored(EncodeMode::Preset), "PRESET"}};
constexpr OptionChoice kPresetChoices[] = {
    {LQP_NORMAL_QUALITY, "Normal"}, {LQP_LOW_QUALITY, "Low"},
    {LQP_HIGH_QUALITY, "High"},     {LQP_VOICE_QUALITY, "Voice"},
    {LQP_R3MIX, "R3mix"},           {LQP_VERYHIGH_QUALITY, "Very high"},
    {LQP_STANDARD, "Standard"},     {LQP_FAST_STANDARD, "Fast standard"},
    {LQP_EXTREME, "Extreme"},       {LQP_FAST_EXTREME, "Fast extreme"},
    {LQP_INSANE, "Insane"},         {LQP_ABR, "ABR"},
    {LQP_CBR, "CBR"},               {LQP_PHONE, "Phone"},
    {LQP_SW, "SW"},                 {LQP_AM, "AM"},
    {LQP_FM, "FM"},                 {LQP_VOICE, "Voice (new)"},
    {LQP_RADIO, "Radio"},           {LQP_TAPE, "Tape"},
    {LQP_HIFI, "HiFi"},             {LQP_CD, "CD"},
    {LQP_STUDIO, "Studio"}};
constexpr OptionChoice kBitrateChoices[] = {
    {32, "32k"},   {40, "40k"},   {48, "48k"},   {56, "56k"},   {64, "64k"},
    {80, "80k"},   {96, "96k"},   {112, "112k"}, {128, "128k"}, {160, "160k"},
    {192, "192k"}, {224, "224k"}, {256, "256k"}, {320, "320k"}};

constexpr ChoiceTable kOutputFormats{
    std::span<const OptionChoice>(kOutputFormatChoices).first(kStoredOutputFormats), 1};
constexpr ChoiceTable kAllOutputFormats{kOutputFormatChoices, 1};
constexpr ChoiceTable kWavSampleRates{kWavSampleRateChoices, 1};
constexpr ChoiceTable kWavChannels{kWavChannelChoices, 1};
constexpr ChoiceTable kMp3SampleRates{kMp3SampleRateChoices, 0};
constexpr ChoiceTable kMp3ChannelModes{kMp3ChannelModeChoices, 1};
constexpr ChoiceTable kEncodeModes{kEncodeModeChoices, 0};
constexpr ChoiceTable kPresets{kPresetChoices, 4};
constexpr ChoiceTable kBitrates{kBitrateChoices, 8};
constexpr IntRange kVbrQualities{0, 9, 5};
constexpr IntRange kTrackNumbers{0, 255, 0};

}  // namespace

const ChoiceTable& OutputFormats() { return kOutputFormats; }
const ChoiceTable& AllOutputFormats() { return kAllOutputFormats; }

namespace {

const OptionChoice& FormatRow(OutputFormat format) {
    const int position = kAllOutputFormats.PositionOf(Stored(format));
    return kOutputFormatChoices[position < 0 ? Stored(OutputFormat::Wav) : position];
}

}  // namespace

std::string_view OutputExtension(OutputFormat format) { return FormatRow(format).alias; }
std::string_view OutputFormatName(OutputFormat format) { return FormatRow(format).label; }
const ChoiceTable& WavSampleRates() { return kWavSampleRates; }
const ChoiceTable& WavChannels() { return kWavChannels; }
const ChoiceTable& Mp3SampleRates() { return kMp3SampleRates; }
const ChoiceTable& Mp3ChannelModes() { return kMp3ChannelModes; }
const ChoiceTable& EncodeModes() { return kEncodeModes; }
const ChoiceTable& Presets() { return kPresets; }
const ChoiceTable& Bitrates() { return kBitrates; }
const IntRange& VbrQualities() { return kVbrQualities; }
const IntRange& TrackNumbers() { return kTrackNumbers; }

}  // namespace options

namespace {

// Where a stored field lives: a member of the settings, or a member of one
// of their parts (the tag, the MP3 block).
template <auto Member>
struct Direct {
    static auto& In(ConversionSettings& s) { return s.*Member; }
    static const auto& In(const ConversionSettings& s) { return s.*Member; }
};
template <auto Part, auto Member>
struct Nested {
    static auto& In(ConversionSettings& s) { return (s.*Part).*Member; }
    static const auto& In(const ConversionSettings& s) { return (s.*Part).*Member; }
};

template <class Access>
constexpr StoredField Field(std::string_view name) {
    using Type = std::remove_cvref_t<decltype(Access::In(std::declval<ConversionSettings&>()))>;
    if constexpr (std::is_same_v<Type, std::string>) {
        return {name, nullptr, nullptr,
                [](ConversionSettings& s) -> std::string& { return Access::In(s); }};
    } else {
        return {name, [](const ConversionSettings& s) { return static_cast<int>(Access::In(s)); },
                [](ConversionSettings& s, int v) { Access::In(s) = static_cast<Type>(v); }};
    }
}

template <auto Member>
constexpr StoredField Own(std::string_view name) {
    return Field<Direct<Member>>(name);
}
template <auto Member>
constexpr StoredField Tag(std::string_view name) {
    return Field<Nested<&ConversionSettings::m_tag, Member>>(name);
}
template <auto Member>
constexpr StoredField Mp3(std::string_view name) {
    return Field<Nested<&ConversionSettings::m_mp3, Member>>(name);
}

using S = ConversionSettings;
using T = TagRecord;
using M = Mp3EncoderSettings;

constexpr StoredField kStoredFields[] = {
    Own<&S::m_bSameAsSource>("m_bSameAsSource"),
    Own<&S::m_bUseTempFolder>("m_bUseTempFolder"),
    Own<&S::m_bOverwrite>("m_bOverwrite"),
    Tag<&T::m_nGenre>("m_nGenre"),
    Tag<&T::m_strAlbum>("m_strAlbum"),
    Tag<&T::m_strArtist>("m_strArtist"),
    Tag<&T::m_strComment>("m_strComment"),
    Tag<&T::m_strTitle>("m_strTitle"),
    Tag<&T::m_nTrack>("m_nTrack"),
    Tag<&T::m_strYear>("m_strYear"),
    Own<&S::m_nOutputFormat>("m_nOutputFormat"),
    Own<&S::m_strOutputFolder>("m_strOutputFolder"),
    Mp3<&M::m_nBitrate>("m_nBitrate"),
    Mp3<&M::m_nChannelMode>("m_nChannelMode"),
    Mp3<&M::m_nInSampleRate>("m_nInSampleRate"),
    Mp3<&M::m_nInChannels>("m_nInChannels"),
    Mp3<&M::m_nPreset>("m_nPreset"),
    Mp3<&M::m_nOutSampleRate>("m_nOutSampleRate"),
    Mp3<&M::m_nSampleRateIndex>("m_nSampleRateIndex"),
    Mp3<&M::m_nBitrateIndex>("m_nBitrateIndex"),
    Own<&S::m_nWavChannels>("m_nWavChannels"),
    Own<&S::m_nWavSampleRate>("m_nWavSampleRate"),
    Own<&S::m_nWavSampleRateIndex>("m_nWavSampleRateIndex"),
    Mp3<&M::m_bCopyright>("m_bCopyright"),
    Mp3<&M::m_bPrivate>("m_bPrivate"),
    Mp3<&M::m_bOriginal>("m_bOriginal"),
    Mp3<&M::m_nEncodeMode>("m_nEncodeMode"),
    Mp3<&M::m_nVbrQuality>("m_nVbrQuality"),
    Own<&S::m_nPortIndex>("m_nPortIndex"),
    Own<&S::m_bBurnToCD>("m_bBurnToCD"),
};

using K = OptionKind;
using U = UsageSection;

constexpr UserOption kUserOptions[] = {
    // Takes every format; "Option.dat" and the window keep the stored ones.
    {.flag = "--format", .shortFlag = 'f', .kind = K::Choice, .field = "m_nOutputFormat",
     .choices = &options::kAllOutputFormats, .section = U::Output,
     .valueName = "mp3|wav|flac|opus|ogg", .help = "output format",
     .validValues = "\"mp3\", \"wav\", \"flac\", \"opus\", \"ogg\""},
    {.flag = "--output-dir", .shortFlag = 'o', .kind = K::Folder, .field = "m_strOutputFolder",
     .section = U::Output, .valueName = "DIR",
     .help = "put the outputs into DIR (created when missing)"},
    {.flag = "--same-as-source", .field = "m_bSameAsSource", .setValue = 1, .section = U::Output,
     .help = "put each output next to its MIDI file"},
    {.flag = "--overwrite", .field = "m_bOverwrite", .setValue = 1, .section = U::Output,
     .help = "replace existing outputs without asking"},
    {.flag = "--no-overwrite", .field = "m_bOverwrite", .setValue = 0, .section = U::Output,
     .help = "ask before replacing (No without a terminal)"},

    {.flag = "--bitrate", .kind = K::Choice, .field = "m_nBitrate", .positionField = "m_nBitrateIndex",
     .choices = &options::kBitrates, .numbersAllowed = true, .keptOnLoad = true,
     .section = U::Mp3, .valueName = "RATE"},
    {.flag = "--mode", .kind = K::Choice, .field = "m_nEncodeMode", .choices = &options::kEncodeModes,
     .keptOnLoad = true, .section = U::Mp3, .valueName = "MODE"},
    // A preset outside the list is left to the encoder, which takes "Normal".
    {.flag = "--preset", .kind = K::Choice, .positionField = "m_nPreset",
     .choices = &options::kPresets, .section = U::Mp3, .valueName = "NAME"},
    {.flag = "--vbr-quality", .kind = K::Number, .field = "m_nVbrQuality",
     .range = &options::kVbrQualities, .keptOnLoad = true, .section = U::Mp3, .valueName = "N",
     .help = "0 (best) to 9"},
    {.flag = "--mp3-rate", .kind = K::Choice, .field = "m_nOutSampleRate",
     .positionField = "m_nSampleRateIndex", .choices = &options::kMp3SampleRates,
     .numbersAllowed = true, .keptOnLoad = true, .section = U::Mp3, .valueName = "RATE"},
    {.flag = "--mp3-channels", .kind = K::Choice, .field = "m_nChannelMode",
     .choices = &options::kMp3ChannelModes, .keptOnLoad = true, .section = U::Mp3,
     .valueName = "MODE"},
    {.flag = "--copyright", .field = "m_bCopyright", .setValue = 1, .section = U::Mp3,
     .synopsis = "--copyright, --original, --private", .help = "set the frame bits"},
    {.flag = "--original", .field = "m_bOriginal", .setValue = 1, .section = U::Mp3, .listed = false},
    {.flag = "--private", .field = "m_bPrivate", .setValue = 1, .section = U::Mp3, .listed = false},
    {.flag = "--no-copyright", .field = "m_bCopyright", .setValue = 0, .section = U::Mp3,
     .synopsis = "--no-copyright, --no-original, --no-private", .help = "clear them"},
    {.flag = "--no-original", .field = "m_bOriginal", .setValue = 0, .section = U::Mp3, .listed = false},
    {.flag = "--no-private", .field = "m_bPrivate", .setValue = 0, .section = U::Mp3, .listed = false},

    {.flag = "--wav-rate", .kind = K::Choice, .field = "m_nWavSampleRate",
     .positionField = "m_nWavSampleRateIndex", .choices = &options::kWavSampleRates,
     .numbersAllowed = true, .keptOnLoad = true, .section = U::Wav, .valueName = "RATE"},
    {.flag = "--wav-channels", .kind = K::Choice, .field = "m_nWavChannels",
     .choices = &options::kWavChannels, .numbersAllowed = true, .keptOnLoad = true,
     .section = U::Wav, .valueName = "MODE"},

    {.flag = "--title", .kind = K::Text, .field = "m_strTitle", .section = U::Tag,
     .synopsis = "--title, --artist, --album, --year, --comment TEXT"},
    {.flag = "--artist", .kind = K::Text, .field = "m_strArtist", .section = U::Tag, .listed = false},
    {.flag = "--album", .kind = K::Text, .field = "m_strAlbum", .section = U::Tag, .listed = false},
    {.flag = "--year", .kind = K::Text, .field = "m_strYear", .section = U::Tag, .listed = false},
    {.flag = "--comment", .kind = K::Text, .field = "m_strComment", .section = U::Tag, .listed = false},
    {.flag = "--track", .kind = K::Number, .field = "m_nTrack", .range = &options::kTrackNumbers,
     .section = U::Tag, .valueName = "N", .help = "0 to 255"},
    {.flag = "--genre", .kind = K::Genre, .field = "m_nGenre", .section = U::Tag,
     .valueName = "NAME|N", .help = "a genre name or its number"},
};

}  // namespace

std::span<const StoredField> StoredFields() { return kStoredFields; }

const StoredField* FindStoredField(std::string_view name) {
    for (const StoredField& field : kStoredFields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

std::span<const UserOption> UserOptions() { return kUserOptions; }

}  // namespace tonalbox
