#include "skin/SkinManager.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include "skin/SkinFile.h"

namespace tonalbox::skin {

// Everything that makes up the application's look.
struct SkinManager::Look {
    QPalette palette;
    QString styleSheet;
    std::string styleName;  // empty: unknown, never switched to
};

void EnableDpiAwareness() {
    // Qt 6 always scales for the screen's resolution and passes fractional
    // factors through: the process is DPI-aware without a call.
}

SkinManager& SkinManager::Instance() {
    static SkinManager manager;
    return manager;
}

SkinManager::SkinManager() = default;
// The application may be gone at process exit; the look is not touched.
SkinManager::~SkinManager() = default;

uint32_t SkinManager::GetOptions() const { return m_options; }

void SkinManager::SetOptions(uint32_t options) {
    m_options = options;
    if (m_loaded) Apply();
}

bool SkinManager::LoadSkinFile(const std::string& path, const std::string& scheme) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    SkinFile file;
    const SkinScheme* found = nullptr;
    if (app != nullptr && file.Load(path)) found = file.FindScheme(scheme);

    if (found == nullptr || !found->IsUsable()) {
        if (m_loaded) RestoreStandardLook();
        m_loaded = false;
        m_skin.reset();
        return false;
    }

    if (!m_standard) {
        m_standard = std::make_unique<Look>();
        m_standard->palette = QApplication::palette();
        m_standard->styleSheet = app->styleSheet();
        // A style wrapped by an earlier style sheet has no name; the widget
        // style is then left alone.
        if (app->styleSheet().isEmpty())
            m_standard->styleName = QApplication::style()->name().toLower().toStdString();
        m_styleInUse = m_standard->styleName;
    }
    m_skin = std::make_unique<Look>();
    m_skin->palette = found->BuildPalette();
    m_skin->styleSheet = found->BuildStyleSheet();
    m_skin->styleName = m_standard->styleName.empty() ? std::string() : "fusion";
    m_path = path;
    m_scheme = scheme;
    m_loaded = true;
    Apply();
    return true;
}

void SkinManager::Apply() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || !m_skin || !m_standard) return;
    // The style first: setting a style resets the palette.
    UseStyle((m_options & kOptionStyle) ? m_skin->styleName : m_standard->styleName);
    QApplication::setPalette((m_options & kOptionColors) ? m_skin->palette : m_standard->palette);
    app->setStyleSheet((m_options & kOptionControls) ? m_skin->styleSheet : m_standard->styleSheet);
}

void SkinManager::RestoreStandardLook() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || !m_standard) return;
    UseStyle(m_standard->styleName);
    QApplication::setPalette(m_standard->palette);
    app->setStyleSheet(m_standard->styleSheet);
}

void SkinManager::UseStyle(const std::string& name) {
    if (name.empty() || name == m_styleInUse) return;
    if (QStyle* style = QStyleFactory::create(QString::fromStdString(name))) {
        QApplication::setStyle(style);
        m_styleInUse = name;
    }
}

}  // namespace tonalbox::skin
