#include "ui/CSetTagDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "engine/GenreNames.h"
#include "ui/DialogDataExchange.h"
#include "ui/DialogSupportStub.h"
#include "ui_Dialog144.h"

namespace tonalbox::ui {

CSetTagDlg::CSetTagDlg(TagRecord& tag, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CSetTagDlg>()), m_tag(tag), m_tagWork(tag) {
    m_ui->setupUi(this);
    PlaceControls(this);

    // The genre list is still empty at the first exchange, so no genre is
    // selected; the second, after the names are in, selects m_nGenre.
    DataToControls();
    for (const char* name : GenreNames) m_ui->id1064->addItem(QString::fromUtf8(name));
    DataToControls();
    m_ui->id1064->setFocus(Qt::OtherFocusReason);
}

CSetTagDlg::~CSetTagDlg() = default;

void CSetTagDlg::DataToControls() {
    m_ui->id1063->setChecked(m_bSetForAll != 0);
    m_ui->id1021->setText(QString::fromStdString(m_tagWork.m_strAlbum));
    m_ui->id1065->setText(QString::fromStdString(m_tagWork.m_strArtist));
    m_ui->id1024->setText(QString::fromStdString(m_tagWork.m_strComment));
    m_ui->id1020->setText(QString::fromStdString(m_tagWork.m_strTitle));
    m_ui->id1023->setText(QString::number(m_tagWork.m_nTrack));
    m_ui->id1022->setText(QString::fromStdString(m_tagWork.m_strYear));
    SelectListPosition(m_ui->id1064, m_tagWork.m_nGenre);
}

bool CSetTagDlg::ControlsToData() {
    m_bSetForAll = m_ui->id1063->isChecked() ? 1 : 0;
    m_tagWork.m_strAlbum = m_ui->id1021->text().toStdString();
    m_tagWork.m_strArtist = m_ui->id1065->text().toStdString();
    m_tagWork.m_strComment = m_ui->id1024->text().toStdString();
    m_tagWork.m_strTitle = m_ui->id1020->text().toStdString();
    const auto track = ParseDialogInteger(m_ui->id1023->text());
    if (!track) {
        ShowAppMessage(this, QStringLiteral("Please enter an integer."));
        m_ui->id1023->setFocus(Qt::OtherFocusReason);
        m_ui->id1023->selectAll();
        return false;
    }
    m_tagWork.m_nTrack = *track;
    m_tagWork.m_strYear = m_ui->id1022->text().toStdString();
    m_tagWork.m_nGenre = m_ui->id1064->currentIndex();
    return true;
}

void CSetTagDlg::accept() {
    if (!ControlsToData()) return;
    m_tag = m_tagWork;
    QDialog::accept();
}

}  // namespace tonalbox::ui
