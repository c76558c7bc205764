#include "ui/CPersistDlg.h"

#include "engine/SettingsFile.h"

namespace tonalbox::ui {

CPersistDlg::CPersistDlg(int templateId, const std::string& fileName, QWidget* parent,
                         const std::string& settingsPath)
    : QDialog(parent),
      m_nTemplateId(templateId),
      m_strSettingsPath(settingsPath.empty() ? SettingsFilePath(fileName) : settingsPath) {}

CPersistDlg::~CPersistDlg() = default;

int CPersistDlg::LoadSettings() {
    ConversionSettings* settings = PersistentSettings();
    if (!settings) return 0;
    return tonalbox::LoadSettings(m_strSettingsPath, *settings);
}

int CPersistDlg::SaveSettings() {
    UpdateDataFromControls();
    ConversionSettings* settings = PersistentSettings();
    if (!settings) return 0;
    return tonalbox::SaveSettings(m_strSettingsPath, *settings);
}

void CPersistDlg::InitDialog() {
    if (m_bInitialised) return;
    m_bInitialised = true;
    OnInitDialog();
}

void CPersistDlg::setVisible(bool visible) {
    if (visible) InitDialog();
    QDialog::setVisible(visible);
}

void CPersistDlg::accept() {
    SaveSettings();
    QDialog::accept();
}

bool CPersistDlg::OnInitDialog() {
    LoadSettings();
    return true;
}

}  // namespace tonalbox::ui
