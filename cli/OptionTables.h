#pragma once
// The choices of the Options dialog's lists, as the command line accepts
// them: by label (case-insensitive; blanks, '-' and '_' ignored) or by the
// number a label stands for.

#include <string>
#include <vector>

namespace tonalbox::cli {

struct Choice {
    std::string label;  // as the Options dialog shows it
    int value;          // the stored value for the list position
    std::vector<std::string> aliases;  // further accepted spellings
};

// One of the dialog's lists; the position in `choices` is the list index.
struct ChoiceList {
    const char* what;  // for messages, e.g. "bitrate"
    std::vector<Choice> choices;
    bool numbersAllowed;  // the plain value is accepted ("192", "44100")

    // The list index of text, or -1.
    int Find(const std::string& text) const;
    // "valid values: 32k, 40k, ..." for usage errors.
    std::string ValidValues() const;
};

const ChoiceList& WavSampleRates();
const ChoiceList& WavChannelChoices();
const ChoiceList& Mp3SampleRates();
const ChoiceList& Mp3ChannelModes();
const ChoiceList& EncodeModes();
const ChoiceList& Presets();
const ChoiceList& Bitrates();

// Lower case without blanks, '-', '_', '(' and ')'.
std::string NormalizeChoice(const std::string& text);

// The genre position for a name (case-insensitive) or a number 0..147; -1
// when there is none.
int FindGenre(const std::string& text);

// A whole decimal number in [min, max]; false otherwise.
bool ParseInt(const std::string& text, int min, int max, int* out);

}  // namespace tonalbox::cli
