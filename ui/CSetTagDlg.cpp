#include "ui/CSetTagDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "engine/GenreNames.h"
#include "ui/DialogDataExchange.h"
#include "ui/DialogUnits.h"
#include "ui/controls/AppMessageBox.h"
#include "ui_settag_144.h"

namespace tonalbox::ui {

CSetTagDlg::CSetTagDlg(TagRecord& tag, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::Template144>()), m_tag(tag), m_tagWork(tag) {
    m_ui->setupUi(this);
    ApplyDialogTemplate(this);

    // The genre list is still empty at the first exchange, so no genre is
    // selected; the second, after the names are in, selects m_nGenre.
    DataToControls();
    for (const char* name : GenreNames) m_ui->idc_1064->addItem(QString::fromUtf8(name));
    DataToControls();
    m_ui->idc_1064->setFocus(Qt::OtherFocusReason);
}

CSetTagDlg::~CSetTagDlg() = default;

void CSetTagDlg::DataToControls() {
    m_ui->idc_1063->setChecked(m_bSetForAll != 0);
    m_ui->idc_1021->setText(QString::fromStdString(m_tagWork.m_strAlbum));
    m_ui->idc_1065->setText(QString::fromStdString(m_tagWork.m_strArtist));
    m_ui->idc_1024->setText(QString::fromStdString(m_tagWork.m_strComment));
    m_ui->idc_1020->setText(QString::fromStdString(m_tagWork.m_strTitle));
    m_ui->idc_1023->setText(QString::number(m_tagWork.m_nTrack));
    m_ui->idc_1022->setText(QString::fromStdString(m_tagWork.m_strYear));
    SelectListPosition(m_ui->idc_1064, m_tagWork.m_nGenre);
}

bool CSetTagDlg::ControlsToData() {
    m_bSetForAll = m_ui->idc_1063->isChecked() ? 1 : 0;
    m_tagWork.m_strAlbum = m_ui->idc_1021->text().toStdString();
    m_tagWork.m_strArtist = m_ui->idc_1065->text().toStdString();
    m_tagWork.m_strComment = m_ui->idc_1024->text().toStdString();
    m_tagWork.m_strTitle = m_ui->idc_1020->text().toStdString();
    const auto track = ParseDialogInteger(m_ui->idc_1023->text());
    if (!track) {
        controls::AppMessageBox("Please enter an integer.", this);
        m_ui->idc_1023->setFocus(Qt::OtherFocusReason);
        m_ui->idc_1023->selectAll();
        return false;
    }
    m_tagWork.m_nTrack = *track;
    m_tagWork.m_strYear = m_ui->idc_1022->text().toStdString();
    m_tagWork.m_nGenre = m_ui->idc_1064->currentIndex();
    return true;
}

void CSetTagDlg::accept() {
    if (!ControlsToData()) return;
    m_tag = m_tagWork;
    QDialog::accept();
}

}  // namespace tonalbox::ui
