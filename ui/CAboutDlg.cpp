#include "ui/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "engine/ProductInfo.h"
#include "ui/controls/CHyperlinkLabel.h"
#include "ui/DialogUnits.h"
#include "ui/Resources.h"
#include "ui_about_100.h"

namespace tonalbox::ui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::Template100>()) {
    m_ui->setupUi(this);
    ui::ApplyDialogTemplate(this);
    const QSize iconSize = m_ui->icon_128->size();
    m_ui->icon_128->setPixmap(ui::LoadIconResource(128).pixmap(iconSize));

    // The controls are bound: each link takes its template text as its
    // first target and fits itself to it; the version line gets the still
    // empty version text.
    m_linkMail = m_ui->idc_1017;
    m_linkWeb = m_ui->idc_1020;
    m_linkMail->Attach();
    m_linkWeb->Attach();
    m_ui->idc_1059->setText(m_strVersionText);

    // The mail link writes to the support address; its text stays
    // "Support: " and the address.
    m_linkMail->SetLinkTarget(std::string("mailto:") + kSupportMailAddress);

    m_linkWeb->setText(QString::fromUtf8(kProductWebAddress));
    m_linkWeb->SetLinkTarget(kProductWebAddress);

    m_strVersionText = QStringLiteral("%1 Version: %2")
                           .arg(QString::fromUtf8(kProductName), QString::fromUtf8(kProductVersion));
    m_ui->idc_1059->setText(m_strVersionText);

    m_ui->idc_1->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;

}  // namespace tonalbox::ui
