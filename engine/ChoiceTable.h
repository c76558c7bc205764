#pragma once
// One list of the Options dialog: what each position stands for, how the
// dialog labels it, and which position a new installation starts with.

#include <span>
#include <string_view>

namespace tonalbox {

struct OptionChoice {
    int value;                   // what the position stands for
    std::string_view label;      // as the dialog's list shows it
    std::string_view alias = {};  // a further spelling the command line takes
};

struct ChoiceTable {
    std::span<const OptionChoice> choices;
    int defaultPosition;

    constexpr int Count() const { return static_cast<int>(choices.size()); }
    constexpr bool HasPosition(int position) const { return position >= 0 && position < Count(); }
    // The value at a position; 0 for a position outside the list.
    constexpr int ValueAt(int position) const {
        return HasPosition(position) ? choices[static_cast<std::size_t>(position)].value : 0;
    }
    constexpr int DefaultValue() const { return ValueAt(defaultPosition); }
    // The first position holding value, or -1.
    constexpr int PositionOf(int value) const {
        for (int i = 0; i < Count(); ++i) {
            if (choices[static_cast<std::size_t>(i)].value == value) return i;
        }
        return -1;
    }
};

// A whole number the user types in.
struct IntRange {
    int min;
    int max;
    int defaultValue;

    constexpr bool Holds(int value) const { return value >= min && value <= max; }
};

}  // namespace tonalbox
