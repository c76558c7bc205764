#pragma once
// The dialog data exchange rules the Set Tag and Options dialogs share:
// how an edit's text becomes an integer, how a drop-down list gets its
// entries and how a stored list position is shown in it.

#include <optional>

class QComboBox;
class QString;

namespace tonalbox {
struct ChoiceTable;
}

namespace tonalbox::ui {

// Fills the list with the table's labels, in the table's order.
void FillList(QComboBox* list, const ChoiceTable& table);

// The integer in an edit: blanks or tabs, an optional sign, decimal digits,
// blanks or tabs. nullopt for anything else, including an empty text and a
// number outside the 32-bit range.
std::optional<int> ParseDialogInteger(const QString& text);

// Selects the entry at position; a position outside the list (negative or
// past its end) leaves the list without a selection.
void SelectListPosition(QComboBox* list, int position);

}  // namespace tonalbox::ui
