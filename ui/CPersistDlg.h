#pragma once
// A modal dialog that restores a settings file when it initialises and
// writes it on OK (and, for windows that ask for it, when they go).

#include <QDialog>

#include <string>

#include "engine/ConversionSettings.h"

namespace tonalbox::ui {

class CPersistDlg : public QDialog {
    Q_OBJECT

public:
    // `fileName` is placed by the settings-file location rule;
    // `settingsPath`, when not empty, names the file directly instead.
    CPersistDlg(int templateId, const std::string& fileName, QWidget* parent,
                const std::string& settingsPath = {});
    ~CPersistDlg() override;

    int TemplateId() const { return m_nTemplateId; }
    const std::string& SettingsPath() const { return m_strSettingsPath; }

    // 1 when the file was opened and read, 0 when it cannot be opened.
    int LoadSettings();
    // 1 when the file was written, 0 when it cannot be created.
    int SaveSettings();

    // The dialog initialisation runs once, just before the window first
    // shows (or when called here first).
    void InitDialog();
    bool IsInitialised() const { return m_bInitialised; }

    void setVisible(bool visible) override;

public slots:
    // OK: SaveSettings, then the dialog ends with OK.
    void accept() override;

protected:
    // The standard initialisation, then LoadSettings. Returns true.
    virtual bool OnInitDialog();
    // The record read and written; the base has none (nothing is stored).
    virtual ConversionSettings* PersistentSettings() { return nullptr; }
    // Moves what the controls hold into the dialog's data before a save.
    virtual void UpdateDataFromControls() {}

private:
    int m_nTemplateId;
    std::string m_strSettingsPath;
    bool m_bInitialised = false;
};

}  // namespace tonalbox::ui
