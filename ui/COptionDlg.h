#pragma once
// The Options dialog (template 145): the WAV format and the MP3 encoder
// parameters of the settings. It stores them back only when it ends with
// OK.

#include <QDialog>

#include <memory>

#include "engine/ConversionSettings.h"

namespace Ui {
class Template145;
}

namespace tonalbox::ui {

class CUpDownCtrl;

class COptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit COptionDlg(ConversionSettings& settings, QWidget* parent = nullptr);
    ~COptionDlg() override;

    // OK: moves the controls into the dialog's data; when Quality holds an
    // integer from 0 to 9, stores everything into the settings and ends.
    void accept() override;

private:
    void FillLists();
    void LoadFromSettings();
    void StoreToSettings() const;
    void DataToControls();
    bool ControlsToData();
    // Enables the Bitrate, Preset and Quality controls for the encode mode.
    void ApplyEncodeModeRule();

    std::unique_ptr<Ui::Template145> m_ui;
    ConversionSettings& m_settings;

    // The dialog's data: one position per list, one flag per check box and
    // the quality number. -1: the list has no selection.
    int m_nWavSample = 0;
    int m_nWavChannels = 0;
    int m_nMp3Sample = 0;
    int m_nMp3Channels = 0;
    int m_nEncodeMode = 0;
    int m_nPreset = 0;
    int m_nBitrate = 0;
    int m_nQuality = 0;
    int m_bCopyright = 0;
    int m_bOriginal = 0;
    int m_bPrivate = 0;
};

}  // namespace tonalbox::ui
