#include "ui/CResultPage.h"

#include <QLabel>

#include "platform/ProgramPaths.h"
#include "ui/controls/CHyperlinkLabel.h"
#include "ui_result_142.h"

namespace tonalbox::ui {

CResultPage::CResultPage(ConversionSettings& settings)
    : CWizardPage(IDD), m_settings(settings), m_ui(std::make_unique<Ui::Template142>()) {}

CResultPage::~CResultPage() = default;

void CResultPage::SetupTemplate() { m_ui->setupUi(this); }

void CResultPage::OnInitDialog() {
    // The link may grow to its template's width; a longer folder is shown
    // shortened in the middle, in full in its tooltip.
    m_ui->idc_1070->SetMaxWidth(m_ui->idc_1070->width());
    m_ui->idc_1070->Attach();
}

CHyperlinkLabel* CResultPage::FolderLink() const { return m_ui->idc_1070; }

std::string CResultPage::ResultFolder() const {
    if (m_settings.m_bSameAsSource == 0) return m_settings.m_strOutputFolder;
    const IPathList* list = m_pPaths;
    if (!list || list->GetCount() <= 0) return {};
    const std::string first = list->GetPath(0);
    const auto cut = first.find_last_of(platform::kPathSeparator);
    if (cut == std::string::npos) return {};
    // A file at the root: the root itself rather than an empty text.
    return cut == 0 ? first.substr(0, 1) : first.substr(0, cut);
}

void CResultPage::OnPageEnter() {
    const IPathList* list = m_pPaths;
    m_ui->idc_1068->setText(QString::number(list ? list->GetCount() : 0));
    m_ui->idc_1069->setText(QString::number(m_nSuccessCount));
    const std::string folder = ResultFolder();
    m_ui->idc_1070->setText(QString::fromStdString(folder));
    m_ui->idc_1070->SetLinkTarget(folder);
    show();
}

void CResultPage::OnPageLeave() { hide(); }

}  // namespace tonalbox::ui
