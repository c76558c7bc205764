#pragma once
// The command line's reading of the option registry: a list's choices by
// label (case-insensitive; blanks, '-' and '_' ignored), by alias or by the
// number a label stands for, and a stored setting applied from its text.

#include <string>

#include "engine/ConversionSettings.h"
#include "engine/OptionRegistry.h"

namespace tonalbox::cli {

// The list position of text, or -1. With numbersAllowed the plain value
// ("192", "44100") is taken too.
int FindChoice(const ChoiceTable& table, bool numbersAllowed, const std::string& text);

// "\"32k\", \"40k\", ..." for usage errors and the help.
std::string ValidValues(const ChoiceTable& table, bool numbersAllowed);

// The valid values a usage error names for an option that takes a value.
std::string ValidValues(const UserOption& option);

// The help text of a stored setting: its own, or its list's labels.
std::string HelpText(const UserOption& option);

// Sets what option stands for in settings (value is ignored for a flag
// without one); false with a message in error for a bad value.
bool ApplySetting(const UserOption& option, const std::string& value, ConversionSettings& settings,
                  std::string& error);

// "invalid value 'x' for --option; valid values: ..."
std::string InvalidValue(std::string_view option, const std::string& value,
                         const std::string& valid);

// "an integer from min to max"
std::string IntegerFrom(int min, int max);

// Lower case without blanks, '-', '_', '(' and ')'.
std::string NormalizeChoice(const std::string& text);

// The genre position for a name (case-insensitive) or a number 0..147; -1
// when there is none.
int FindGenre(const std::string& text);

// A whole decimal number in [min, max]; false otherwise.
bool ParseInt(const std::string& text, int min, int max, int* out);

}  // namespace tonalbox::cli
