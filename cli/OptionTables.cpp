#include "cli/OptionTables.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "engine/GenreNames.h"
#include "engine/OptionValues.h"

namespace tonalbox::cli {

namespace {

// The list entries for the values from position `first` on, labelled as the
// dialog shows them ("22050 Hz", "128k").
template <std::size_t N>
std::vector<Choice> LabelledValues(const std::array<int, N>& values, std::size_t first,
                                   const char* unit) {
    std::vector<Choice> choices;
    for (std::size_t i = first; i < N; ++i)
        choices.push_back({std::to_string(values[i]) + unit, values[i], {}});
    return choices;
}

}  // namespace

std::string NormalizeChoice(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == ' ' || c == '-' || c == '_' || c == '(' || c == ')' || c == '\t') continue;
        out.push_back(static_cast<char>(std::tolower(c)));
    }
    return out;
}

bool ParseInt(const std::string& text, int min, int max, int* out) {
    if (text.empty() || text.size() > 11) return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t k = i; k < text.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(text[k]))) return false;
    }
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno != 0 || v < min || v > max) return false;
    *out = static_cast<int>(v);
    return true;
}

int ChoiceList::Find(const std::string& text) const {
    const std::string key = NormalizeChoice(text);
    if (key.empty()) return -1;
    for (size_t i = 0; i < choices.size(); ++i) {
        if (NormalizeChoice(choices[i].label) == key) return static_cast<int>(i);
        for (const auto& alias : choices[i].aliases) {
            if (NormalizeChoice(alias) == key) return static_cast<int>(i);
        }
    }
    if (numbersAllowed) {
        int number = 0;
        if (ParseInt(key, 0, 1000000, &number)) {
            for (size_t i = 0; i < choices.size(); ++i) {
                if (choices[i].value == number) return static_cast<int>(i);
            }
        }
    }
    return -1;
}

std::string ChoiceList::ValidValues() const {
    std::string text;
    for (const auto& c : choices) {
        if (!text.empty()) text += ", ";
        text += '"';
        text += c.label;
        text += '"';
    }
    if (numbersAllowed) text += " (or the plain number)";
    return text;
}

const ChoiceList& WavSampleRates() {
    static const ChoiceList list{"WAV sample rate", LabelledValues(kWavSampleRates, 0, " Hz"),
                                 true};
    return list;
}

const ChoiceList& WavChannelChoices() {
    static const ChoiceList list{"WAV channels", {{"Mono", 1, {}}, {"Stereo", 2, {}}}, true};
    return list;
}

const ChoiceList& Mp3SampleRates() {
    static const ChoiceList list{"MP3 sample rate", [] {
                                     std::vector<Choice> c{{"Same as input", 0, {"same"}}};
                                     auto rates = LabelledValues(kMp3SampleRates, 1, " Hz");
                                     c.insert(c.end(), rates.begin(), rates.end());
                                     return c;
                                 }(),
                                 true};
    return list;
}

const ChoiceList& Mp3ChannelModes() {
    static const ChoiceList list{"MP3 channel mode",
                                 {{"Stereo", 0, {}},
                                  {"Joint stereo", 1, {"joint"}},
                                  {"Dual Channel", 2, {"dual"}},
                                  {"Mono", 3, {}}},
                                 false};
    return list;
}

const ChoiceList& EncodeModes() {
    static const ChoiceList list{
        "encode mode", {{"CBR", 0, {}}, {"ABR", 1, {}}, {"VBR", 2, {}}, {"PRESET", 3, {}}}, false};
    return list;
}

const ChoiceList& Presets() {
    static const ChoiceList list{"preset",
                                 {{"Normal", 0, {}},
                                  {"Low", 1, {}},
                                  {"High", 2, {}},
                                  {"Voice", 3, {}},
                                  {"R3mix", 4, {}},
                                  {"Very high", 5, {}},
                                  {"Standard", 6, {}},
                                  {"Fast standard", 7, {}},
                                  {"Extreme", 8, {}},
                                  {"Fast extreme", 9, {}},
                                  {"Insane", 10, {}},
                                  {"ABR", 11, {}},
                                  {"CBR", 12, {}},
                                  {"Phone", 13, {}},
                                  {"SW", 14, {}},
                                  {"AM", 15, {}},
                                  {"FM", 16, {}},
                                  {"Voice (new)", 17, {}},
                                  {"Radio", 18, {}},
                                  {"Tape", 19, {}},
                                  {"HiFi", 20, {}},
                                  {"CD", 21, {}},
                                  {"Studio", 22, {}}},
                                 false};
    return list;
}

const ChoiceList& Bitrates() {
    static const ChoiceList list{"bitrate", LabelledValues(kBitrates, 0, "k"), true};
    return list;
}

int FindGenre(const std::string& text) {
    int number = 0;
    if (ParseInt(text, 0, kGenreCount - 1, &number)) return number;
    const std::string key = NormalizeChoice(text);
    if (key.empty()) return -1;
    for (int i = 0; i < kGenreCount; ++i) {
        if (NormalizeChoice(GenreNames[i]) == key) return i;
    }
    return -1;
}

}  // namespace tonalbox::cli
