#pragma once
// One colour scheme of a skin file: the colours of the palette roles and
// of the drawn controls, and the application look built from them.

#include <map>
#include <optional>
#include <string>

#include <QColor>
#include <QPalette>
#include <QString>

namespace tonalbox::skin {

class SkinScheme {
public:
    explicit SkinScheme(std::string name = {}) : m_strName(std::move(name)) {}

    const std::string& Name() const { return m_strName; }

    // Stores a key (case-insensitive); a later value replaces an earlier.
    void Set(const std::string& key, const std::string& value);
    // The raw value, or nullopt.
    std::optional<std::string> Value(const std::string& key) const;

    // A colour value "#rrggbb" or "r, g, b" (0..255 each); nullopt when
    // the key is missing or its value is not a colour.
    std::optional<QColor> Color(const std::string& key) const;
    // An integer value within [lo, hi]; fallback otherwise.
    int Integer(const std::string& key, int lo, int hi, int fallback) const;

    // True when at least the window and button colours are given: the
    // least a scheme needs to draw anything.
    bool IsUsable() const;

    // The palette for the whole application: every role the scheme names,
    // the others derived from the window and button colours.
    QPalette BuildPalette() const;
    // The style sheet for push buttons, group boxes, edits and progress
    // bars, from the scheme's control colours (derived when missing).
    QString BuildStyleSheet() const;

    static std::optional<QColor> ParseColor(const std::string& text);

private:
    QColor ColorOr(const std::string& key, const QColor& fallback) const;

    std::string m_strName;
    std::map<std::string, std::string> m_values;  // key: lower-case
};

}  // namespace tonalbox::skin
