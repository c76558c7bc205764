#include "ui/CWizardPage.h"

#include "ui/CReturnKeyFilter.h"
#include "ui/DialogUnits.h"

namespace tonalbox::ui {

CWizardPage::CWizardPage(int templateId) : QWidget(nullptr), m_nTemplateId(templateId) {}

CWizardPage::~CWizardPage() = default;

bool CWizardPage::Create(QWidget* parent) {
    if (m_bCreated) return false;
    m_bCreated = true;
    // A child window without a border; hidden until it is entered.
    setParent(parent, Qt::Widget);
    hide();
    SetupTemplate();
    ApplyDialogTemplate(this);
    CReturnKeyFilter::Install(this);
    // The main window sizes the page to its page area, not the template.
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    OnInitDialog();
    return true;
}

void CWizardPage::PlaceOn(const QRect& pageRect) {
    setGeometry(pageRect);
    update();
}

}  // namespace tonalbox::ui
