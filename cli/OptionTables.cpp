#include "cli/OptionTables.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/GenreNames.h"
#include "platform/ProgramPaths.h"

namespace tonalbox::cli {

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

int FindChoice(const ChoiceTable& table, bool numbersAllowed, const std::string& text) {
    const std::string key = NormalizeChoice(text);
    if (key.empty()) return -1;
    for (int i = 0; i < table.Count(); ++i) {
        const OptionChoice& choice = table.choices[static_cast<size_t>(i)];
        if (NormalizeChoice(std::string(choice.label)) == key) return i;
        if (!choice.alias.empty() && NormalizeChoice(std::string(choice.alias)) == key) return i;
    }
    int number = 0;
    if (numbersAllowed && ParseInt(key, 0, 1000000, &number)) return table.PositionOf(number);
    return -1;
}

std::string ValidValues(const ChoiceTable& table, bool numbersAllowed) {
    std::string text;
    for (const OptionChoice& choice : table.choices) {
        if (!text.empty()) text += ", ";
        text += '"';
        text += choice.label;
        text += '"';
    }
    if (numbersAllowed) text += " (or the plain number)";
    return text;
}

std::string IntegerFrom(int min, int max) {
    return "an integer from " + std::to_string(min) + " to " + std::to_string(max);
}

std::string ValidValues(const UserOption& option) {
    if (!option.validValues.empty()) return std::string(option.validValues);
    if (option.choices) return ValidValues(*option.choices, option.numbersAllowed);
    if (option.range) return IntegerFrom(option.range->min, option.range->max);
    if (option.kind == OptionKind::Genre)
        return "a genre name such as \"Rock\" or \"Classical\", or a number from 0 to " +
               std::to_string(kGenreCount - 1) + " (see --help)";
    return {};
}

std::string HelpText(const UserOption& option) {
    if (option.help.empty() && option.choices)
        return ValidValues(*option.choices, option.numbersAllowed);
    return std::string(option.help);
}

std::string InvalidValue(std::string_view option, const std::string& value,
                         const std::string& valid) {
    return "invalid value '" + value + "' for " + std::string(option) + "; valid values: " + valid;
}

namespace {

std::string AbsoluteFolder(const std::string& folder) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(folder, ec);
    std::string text = ec ? folder : absolute.lexically_normal().string();
    return platform::WithTrailingSeparator(text);
}

// The number option stands for in value (a list position for a Choice);
// nullopt when value is not valid.
std::optional<int> NumberFor(const UserOption& option, const std::string& value) {
    int number = -1;
    switch (option.kind) {
        case OptionKind::Choice:
            number = FindChoice(*option.choices, option.numbersAllowed, value);
            break;
        case OptionKind::Genre:
            number = FindGenre(value);
            break;
        case OptionKind::Number:
            if (ParseInt(value, option.range->min, option.range->max, &number)) return number;
            return std::nullopt;
        default:
            break;
    }
    return number >= 0 ? std::optional<int>(number) : std::nullopt;
}

}  // namespace

bool ApplySetting(const UserOption& option, const std::string& value, ConversionSettings& s,
                  std::string& error) {
    const StoredField* field = FindStoredField(option.field);
    if (option.kind == OptionKind::Set) {
        field->set(s, option.setValue);
        return true;
    }
    if (option.kind == OptionKind::Text) {
        field->text(s) = value;
        return true;
    }
    if (option.kind == OptionKind::Folder) {
        if (value.empty()) {
            error = std::string(option.flag) + " needs a folder";
            return false;
        }
        // An output folder of its own replaces the other two places.
        field->text(s) = AbsoluteFolder(value);
        s.m_bSameAsSource = 0;
        s.m_bUseTempFolder = 0;
        return true;
    }
    const std::optional<int> number = NumberFor(option, value);
    if (!number) {
        error = InvalidValue(option.flag, value, ValidValues(option));
        return false;
    }
    if (option.kind != OptionKind::Choice) {
        field->set(s, *number);
        return true;
    }
    if (field) field->set(s, option.choices->ValueAt(*number));
    if (const StoredField* position = FindStoredField(option.positionField))
        position->set(s, *number);
    return true;
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
