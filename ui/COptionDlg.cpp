#include "ui/COptionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <array>

#include "ui/CUpDownCtrl.h"
#include "engine/OptionRegistry.h"
#include "ui/DialogDataExchange.h"
#include "ui/DialogUnits.h"
#include "ui/controls/AppMessageBox.h"
#include "ui_option_145.h"

namespace tonalbox::ui {

COptionDlg::COptionDlg(ConversionSettings& settings, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Template145>()), m_settings(settings) {
    LoadFromSettings();
    m_ui->setupUi(this);
    FillLists();
    ApplyDialogTemplate(this);
    DataToControls();

    m_ui->idc_1075->SetBuddy(m_ui->idc_1076);
    m_ui->idc_1075->SetRange(options::VbrQualities().min, options::VbrQualities().max);
    m_ui->idc_1075->SetPos(m_nQuality);

    ApplyEncodeModeRule();
    connect(m_ui->idc_1070, &QComboBox::currentIndexChanged, this, [this] { ApplyEncodeModeRule(); });
    m_ui->idc_1072->setFocus(Qt::OtherFocusReason);
}

COptionDlg::~COptionDlg() = default;

void COptionDlg::FillLists() {
    FillList(m_ui->idc_1073, options::WavSampleRates());
    FillList(m_ui->idc_1069, options::WavChannels());
    FillList(m_ui->idc_1072, options::Mp3SampleRates());
    FillList(m_ui->idc_1068, options::Mp3ChannelModes());
    FillList(m_ui->idc_1070, options::EncodeModes());
    FillList(m_ui->idc_1066, options::Presets());
    FillList(m_ui->idc_1067, options::Bitrates());
}

void COptionDlg::LoadFromSettings() {
    const Mp3EncoderSettings& mp3 = m_settings.m_mp3;
    m_nWavSample = m_settings.m_nWavSampleRateIndex;
    m_nWavChannels = options::WavChannels().PositionOf(m_settings.m_nWavChannels);
    m_nMp3Sample = mp3.m_nSampleRateIndex;
    m_nMp3Channels = options::Mp3ChannelModes().PositionOf(mp3.m_nChannelMode);
    m_nEncodeMode = options::EncodeModes().PositionOf(mp3.m_nEncodeMode);
    m_nPreset = mp3.m_nPreset;
    m_nBitrate = mp3.m_nBitrateIndex;
    m_nQuality = mp3.m_nVbrQuality;
    m_bCopyright = mp3.m_bCopyright;
    m_bOriginal = mp3.m_bOriginal;
    m_bPrivate = mp3.m_bPrivate;
}

void COptionDlg::DataToControls() {
    SelectListPosition(m_ui->idc_1073, m_nWavSample);
    SelectListPosition(m_ui->idc_1069, m_nWavChannels);
    SelectListPosition(m_ui->idc_1072, m_nMp3Sample);
    SelectListPosition(m_ui->idc_1068, m_nMp3Channels);
    SelectListPosition(m_ui->idc_1070, m_nEncodeMode);
    SelectListPosition(m_ui->idc_1066, m_nPreset);
    SelectListPosition(m_ui->idc_1067, m_nBitrate);
    m_ui->idc_1076->setText(QString::number(m_nQuality));
    m_ui->idc_1034->setChecked(m_bCopyright != 0);
    m_ui->idc_1035->setChecked(m_bOriginal != 0);
    m_ui->idc_1036->setChecked(m_bPrivate != 0);
}

bool COptionDlg::ControlsToData() {
    m_nWavSample = m_ui->idc_1073->currentIndex();
    m_nWavChannels = m_ui->idc_1069->currentIndex();
    m_nMp3Sample = m_ui->idc_1072->currentIndex();
    m_nMp3Channels = m_ui->idc_1068->currentIndex();
    m_nEncodeMode = m_ui->idc_1070->currentIndex();
    m_nPreset = m_ui->idc_1066->currentIndex();
    m_nBitrate = m_ui->idc_1067->currentIndex();
    m_bCopyright = m_ui->idc_1034->isChecked() ? 1 : 0;
    m_bOriginal = m_ui->idc_1035->isChecked() ? 1 : 0;
    m_bPrivate = m_ui->idc_1036->isChecked() ? 1 : 0;

    const auto quality = ParseDialogInteger(m_ui->idc_1076->text());
    QString message;
    if (!quality) {
        message = QStringLiteral("Please enter an integer.");
    } else if (!options::VbrQualities().Holds(*quality)) {
        message = QStringLiteral("Please enter an integer between %1 and %2.")
                      .arg(options::VbrQualities().min)
                      .arg(options::VbrQualities().max);
    }
    if (!message.isEmpty()) {
        controls::AppMessageBox(message.toStdString(), this);
        // A disabled edit cannot take the focus; the Encode Mode list, which
        // enables it again, gets it instead.
        if (m_ui->idc_1076->isEnabled()) {
            m_ui->idc_1076->setFocus(Qt::OtherFocusReason);
            m_ui->idc_1076->selectAll();
        } else {
            m_ui->idc_1070->setFocus(Qt::OtherFocusReason);
        }
        return false;
    }
    m_nQuality = *quality;
    return true;
}

void COptionDlg::StoreToSettings() const {
    // A list without a selection (its stored position was out of range)
    // keeps the setting it had.
    Mp3EncoderSettings& mp3 = m_settings.m_mp3;
    if (m_nWavSample >= 0) {
        m_settings.m_nWavSampleRateIndex = m_nWavSample;
        m_settings.m_nWavSampleRate = options::WavSampleRates().ValueAt(m_nWavSample);
    }
    if (m_nWavChannels >= 0) m_settings.m_nWavChannels = options::WavChannels().ValueAt(m_nWavChannels);
    if (m_nMp3Sample >= 0) {
        mp3.m_nSampleRateIndex = m_nMp3Sample;
        mp3.m_nOutSampleRate = options::Mp3SampleRates().ValueAt(m_nMp3Sample);
    }
    if (m_nMp3Channels >= 0) mp3.m_nChannelMode = options::Mp3ChannelModes().ValueAt(m_nMp3Channels);
    if (m_nEncodeMode >= 0) mp3.m_nEncodeMode = options::EncodeModes().ValueAt(m_nEncodeMode);
    if (m_nPreset >= 0) mp3.m_nPreset = m_nPreset;
    if (m_nBitrate >= 0) {
        mp3.m_nBitrateIndex = m_nBitrate;
        mp3.m_nBitrate = options::Bitrates().ValueAt(m_nBitrate);
    }
    mp3.m_nVbrQuality = m_nQuality;
    mp3.m_bCopyright = m_bCopyright;
    mp3.m_bOriginal = m_bOriginal;
    mp3.m_bPrivate = m_bPrivate;
}

void COptionDlg::ApplyEncodeModeRule() {
    bool bitrate = false;
    bool preset = false;
    bool quality = false;
    const int position = m_ui->idc_1070->currentIndex();
    if (!options::EncodeModes().HasPosition(position)) return;  // no selection: nothing changes
    switch (static_cast<EncodeMode>(options::EncodeModes().ValueAt(position))) {
        case EncodeMode::Cbr:
        case EncodeMode::Abr:
            bitrate = true;
            break;
        case EncodeMode::Vbr:
            quality = true;
            break;
        case EncodeMode::Preset:
            preset = true;
            break;
    }
    m_ui->idc_1067->setEnabled(bitrate);
    m_ui->idc_1066->setEnabled(preset);
    m_ui->idc_1076->setEnabled(quality);
    m_ui->idc_1075->setEnabled(quality);
}

void COptionDlg::accept() {
    if (!ControlsToData()) return;
    StoreToSettings();
    QDialog::accept();
}

}  // namespace tonalbox::ui
