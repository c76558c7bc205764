#include "ui/DialogDataExchange.h"

#include <QComboBox>
#include <QString>

#include <limits>

#include "engine/ChoiceTable.h"

namespace tonalbox::ui {

std::optional<int> ParseDialogInteger(const QString& text) {
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i])) ++i;
    while (end > i && isBlank(text[end - 1])) --end;

    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == end) return std::nullopt;

    // Accumulate as a negative number so that INT_MIN fits.
    long long value = 0;
    for (; i < end; ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(value);
}

void FillList(QComboBox* list, const ChoiceTable& table) {
    for (const OptionChoice& choice : table.choices)
        list->addItem(QString::fromUtf8(choice.label.data(), static_cast<qsizetype>(choice.label.size())));
}

void SelectListPosition(QComboBox* list, int position) {
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

}  // namespace tonalbox::ui
