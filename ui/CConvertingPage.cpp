#include "ui/CConvertingPage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "engine/ConvertThreadProc.h"
#include "ui/controls/AppMessageBox.h"
#include "ui/controls/UiThread.h"
#include "ui/CPathList.h"
#include "ui/WizardMessages.h"
#include "ui_converting_141.h"

namespace tonalbox::ui {

namespace {

std::atomic<CConvertingPage*> g_convertingPage{nullptr};

// The input when no list was ever published: nothing to convert.
class EmptyPathList : public IPathList {
public:
    int GetCount() const override { return 0; }
    std::string GetPath(int) const override { return {}; }
};
const EmptyPathList g_emptyList;

}  // namespace

CConvertingPage::CConvertingPage(ConversionSettings& settings)
    : CWizardPage(IDD), m_settings(settings), m_ui(std::make_unique<Ui::Template141>()) {
    g_convertingPage = this;
}

CConvertingPage::~CConvertingPage() {
    OnCancel();
    WaitForRun();
    CConvertingPage* self = this;
    g_convertingPage.compare_exchange_strong(self, nullptr);
}

CConvertingPage* CConvertingPage::Instance() { return g_convertingPage; }

void CConvertingPage::SetupTemplate() { m_ui->setupUi(this); }

void CConvertingPage::OnInitDialog() {
    m_ui->idc_1062->setRange(0, 100);
    connect(m_ui->idc_1020, &QPushButton::clicked, this, &CConvertingPage::OnCancel);
}

void CConvertingPage::OnPageEnter() {
    // A worker of an earlier run may still be shutting its engine down.
    WaitForRun();
    m_nCancel = 0;
    m_nSuccess = 0;
    const IPathList* paths = InputList();
    SetConvertJob({&m_settings, paths ? paths : &g_emptyList, this});
    m_bRunning = true;
    m_worker = std::thread([this] {
        ConvertThreadProc();
        m_bRunning = false;
    });
    show();
}

void CConvertingPage::OnPageLeave() {
    hide();
    m_ui->idc_1062->setValue(0);
}

void CConvertingPage::OnCancel() { m_nCancel = 1; }

void CConvertingPage::WaitForRun() {
    controls::WaitWhileHandlingEvents([this] { return !m_bRunning; });
    if (m_worker.joinable()) m_worker.join();
}

void CConvertingPage::SetProgressPos(int pos) {
    controls::RunOnUiThread([&] { m_ui->idc_1062->setValue(pos); });
}

void CConvertingPage::SetControlText(Control id, const std::string& text) {
    controls::RunOnUiThread([&] {
        QLabel* label = nullptr;
        switch (id) {
            case kFileCounter: label = m_ui->idc_1066; break;
            case kFileName: label = m_ui->idc_1067; break;
            case kPercent: label = m_ui->idc_1071; break;
            case kFileProgress: break;
        }
        if (label) label->setText(QString::fromStdString(text));
    });
}

bool CConvertingPage::AskYesNo(const std::string& text) { return controls::AskYesNoBox(text); }

void CConvertingPage::ShowMessage(const std::string& text) { controls::AppMessageBox(text); }

void CConvertingPage::ConvertDone() {
    controls::RunOnUiThread([this] {
        QEvent done(WM_CONVERT_DONE);
        QCoreApplication::sendEvent(window(), &done);
    });
}

}  // namespace tonalbox::ui
