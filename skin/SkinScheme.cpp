#include "skin/SkinScheme.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>
#include <vector>

namespace tonalbox::skin {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Parses a whole decimal number in [0, max]; false on anything else.
bool ParseNumber(std::string_view text, int max, int& out) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) return false;
    if (value < 0 || value > max) return false;
    out = value;
    return true;
}

QString Css(const QColor& c) { return c.name(QColor::HexRgb); }

struct RoleKey {
    const char* key;
    QPalette::ColorRole role;
};

// The palette roles a scheme may name directly.
const RoleKey kRoleKeys[] = {
    {"Window", QPalette::Window},
    {"WindowText", QPalette::WindowText},
    {"Base", QPalette::Base},
    {"AlternateBase", QPalette::AlternateBase},
    {"Text", QPalette::Text},
    {"Button", QPalette::Button},
    {"ButtonText", QPalette::ButtonText},
    {"BrightText", QPalette::BrightText},
    {"Light", QPalette::Light},
    {"Midlight", QPalette::Midlight},
    {"Mid", QPalette::Mid},
    {"Dark", QPalette::Dark},
    {"Shadow", QPalette::Shadow},
    {"Highlight", QPalette::Highlight},
    {"HighlightedText", QPalette::HighlightedText},
    {"ToolTipBase", QPalette::ToolTipBase},
    {"ToolTipText", QPalette::ToolTipText},
    {"PlaceholderText", QPalette::PlaceholderText},
    {"Link", QPalette::Link},
    {"LinkVisited", QPalette::LinkVisited},
};

}  // namespace

void SkinScheme::Set(const std::string& key, const std::string& value) {
    m_values[Lower(key)] = value;
}

std::optional<std::string> SkinScheme::Value(const std::string& key) const {
    auto it = m_values.find(Lower(key));
    if (it == m_values.end()) return std::nullopt;
    return it->second;
}

std::optional<QColor> SkinScheme::ParseColor(const std::string& text) {
    if (text.size() == 7 && text[0] == '#') {
        if (!std::all_of(text.begin() + 1, text.end(),
                         [](unsigned char c) { return std::isxdigit(c) != 0; }))
            return std::nullopt;
        int rgb[3];
        for (int i = 0; i < 3; ++i) {
            const char* first = text.data() + 1 + 2 * i;
            auto [ptr, ec] = std::from_chars(first, first + 2, rgb[i], 16);
            if (ec != std::errc() || ptr != first + 2) return std::nullopt;
        }
        return QColor(rgb[0], rgb[1], rgb[2]);
    }
    std::vector<int> parts;
    std::size_t pos = 0;
    while (parts.size() < 4) {
        std::size_t comma = text.find(',', pos);
        std::string_view part(text.data() + pos,
                              (comma == std::string::npos ? text.size() : comma) - pos);
        int v = 0;
        if (!ParseNumber(part, 255, v)) return std::nullopt;
        parts.push_back(v);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    if (parts.size() != 3) return std::nullopt;
    return QColor(parts[0], parts[1], parts[2]);
}

std::optional<QColor> SkinScheme::Color(const std::string& key) const {
    auto v = Value(key);
    if (!v) return std::nullopt;
    return ParseColor(*v);
}

int SkinScheme::Integer(const std::string& key, int lo, int hi, int fallback) const {
    auto v = Value(key);
    int n = 0;
    if (!v || !ParseNumber(*v, hi, n) || n < lo) return fallback;
    return n;
}

bool SkinScheme::IsUsable() const {
    return Color("Window").has_value() && Color("Button").has_value();
}

QColor SkinScheme::ColorOr(const std::string& key, const QColor& fallback) const {
    return Color(key).value_or(fallback);
}

QPalette SkinScheme::BuildPalette() const {
    const QColor window = ColorOr("Window", QColor(0xf0, 0xf0, 0xf0));
    const QColor button = ColorOr("Button", window);
    // The two-colour constructor derives light, mid, dark and shadow.
    QPalette pal(button, window);
    for (const RoleKey& rk : kRoleKeys) {
        if (auto c = Color(rk.key)) {
            pal.setColor(QPalette::Active, rk.role, *c);
            pal.setColor(QPalette::Inactive, rk.role, *c);
            pal.setColor(QPalette::Disabled, rk.role, *c);
        }
    }
    const QColor disabledText = ColorOr("DisabledText", pal.color(QPalette::Active, QPalette::Mid));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    pal.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    // A disabled edit shows the window colour behind its text.
    pal.setColor(QPalette::Disabled, QPalette::Base, window);
    return pal;
}

QString SkinScheme::BuildStyleSheet() const {
    const QPalette pal = BuildPalette();
    const QColor window = pal.color(QPalette::Active, QPalette::Window);
    const QColor button = pal.color(QPalette::Active, QPalette::Button);
    const QColor buttonText = pal.color(QPalette::Active, QPalette::ButtonText);
    const QColor base = pal.color(QPalette::Active, QPalette::Base);
    const QColor text = pal.color(QPalette::Active, QPalette::Text);
    const QColor highlight = pal.color(QPalette::Active, QPalette::Highlight);
    const QColor disabledText = pal.color(QPalette::Disabled, QPalette::ButtonText);

    const QColor windowTop = ColorOr("WindowTop", window);
    const QColor windowBottom = ColorOr("WindowBottom", window);
    const QColor buttonTop = ColorOr("ButtonTop", button.lighter(112));
    const QColor buttonBottom = ColorOr("ButtonBottom", button.darker(108));
    const QColor buttonBorder = ColorOr("ButtonBorder", pal.color(QPalette::Active, QPalette::Dark));
    const QColor hoverTop = ColorOr("ButtonHoverTop", buttonTop.lighter(108));
    const QColor hoverBottom = ColorOr("ButtonHoverBottom", buttonBottom.lighter(108));
    const QColor pressed = ColorOr("ButtonPressed", buttonBottom.darker(110));
    const QColor focus = ColorOr("FocusBorder", highlight);
    const QColor editBorder = ColorOr("EditBorder", pal.color(QPalette::Active, QPalette::Mid));
    const QColor groupBorder = ColorOr("GroupBorder", editBorder);
    const QColor groupTitle = ColorOr("GroupTitle", pal.color(QPalette::Active, QPalette::WindowText));
    const QColor chunk = ColorOr("ProgressChunk", highlight);
    const QColor tipBase = pal.color(QPalette::Active, QPalette::ToolTipBase);
    const QColor tipText = pal.color(QPalette::Active, QPalette::ToolTipText);
    const int radius = Integer("Radius", 0, 8, 3);

    QString css;
    css += QStringLiteral(
               "QDialog { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
               "stop:0 %1, stop:1 %2); }\n")
               .arg(Css(windowTop), Css(windowBottom));
    css += QStringLiteral(
               "QPushButton { color: %1; border: 1px solid %2; border-radius: %3px; "
               "padding: 1px 3px; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
               "stop:0 %4, stop:1 %5); }\n")
               .arg(Css(buttonText), Css(buttonBorder), QString::number(radius),
                    Css(buttonTop), Css(buttonBottom));
    css += QStringLiteral(
               "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
               "stop:0 %1, stop:1 %2); }\n")
               .arg(Css(hoverTop), Css(hoverBottom));
    css += QStringLiteral("QPushButton:pressed { background: %1; }\n").arg(Css(pressed));
    css += QStringLiteral("QPushButton:default, QPushButton:focus { border: 1px solid %1; }\n")
               .arg(Css(focus));
    css += QStringLiteral("QPushButton:disabled { color: %1; background: %2; border-color: %3; }\n")
               .arg(Css(disabledText), Css(window), Css(editBorder));
    css += QStringLiteral(
               "QGroupBox { border: 1px solid %1; border-radius: %2px; margin-top: 0.6em; }\n"
               "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; "
               "left: 7px; padding: 0 2px; color: %3; }\n")
               .arg(Css(groupBorder), QString::number(radius), Css(groupTitle));
    css += QStringLiteral(
               "QLineEdit { color: %1; background: %2; border: 1px solid %3; "
               "border-radius: 2px; padding: 0 1px; }\n"
               "QLineEdit:focus { border-color: %4; }\n"
               "QLineEdit:read-only { background: %6; }\n"
               "QLineEdit:disabled { color: %5; background: %6; }\n")
               .arg(Css(text), Css(base), Css(editBorder), Css(focus), Css(disabledText),
                    Css(window));
    css += QStringLiteral(
               "QProgressBar { border: 1px solid %1; border-radius: %2px; background: %3; "
               "text-align: center; color: %4; }\n"
               "QProgressBar::chunk { border-radius: %2px; background: "
               "qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %5, stop:1 %6); }\n")
               .arg(Css(editBorder), QString::number(radius), Css(base), Css(text),
                    Css(chunk.lighter(125)), Css(chunk));
    css += QStringLiteral("QToolTip { color: %1; background: %2; border: 1px solid %3; }\n")
               .arg(Css(tipText), Css(tipBase), Css(buttonBorder));
    return css;
}

}  // namespace tonalbox::skin
