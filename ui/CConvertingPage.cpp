#include "ui/CConvertingPage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>

#include "engine/CConversionRun.h"
#include "engine/ConvertThreadProc.h"
#include "engine/PathSnapshot.h"
#include "ui/WizardMessages.h"
#include "ui/controls/AppMessageBox.h"
#include "ui/controls/UiThread.h"
#include "ui_converting_141.h"

namespace tonalbox::ui {

CConvertingPage::CConvertingPage(ConversionSettings& settings)
    : CWizardPage(IDD), m_settings(settings), m_ui(std::make_unique<Ui::Template141>()) {}

CConvertingPage::~CConvertingPage() {
    OnCancel();
    WaitForRun();
}

void CConvertingPage::SetupTemplate() { m_ui->setupUi(this); }

void CConvertingPage::OnInitDialog() {
    m_ui->idc_1062->setRange(0, 100);
    connect(m_ui->idc_1020, &QPushButton::clicked, this, &CConvertingPage::OnCancel);
}

void CConvertingPage::ResetTexts() {
    // What the template shows before the first update of a run.
    m_ui->idc_1062->setValue(0);
    m_ui->idc_1066->setText(QStringLiteral("..."));
    m_ui->idc_1067->setText(QStringLiteral("..."));
    m_ui->idc_1071->setText(QStringLiteral(".."));
}

void CConvertingPage::OnPageEnter() {
    // A worker of an earlier run may still be shutting its engine down.
    WaitForRun();
    m_nCancel = 0;
    m_nSuccess = 0;
    ResetTexts();

    // The run's own job: what Options, Set Tag or the file list change
    // from now on applies to the next run.
    ConvertJob job;
    job.settings = m_settings;
    job.paths = std::make_shared<PathSnapshot>(m_pPaths ? PathSnapshot::Of(*m_pPaths)
                                                        : PathSnapshot());
    job.frontEnd = this;
    m_bWorkerEnding = false;
    m_worker = std::thread([this, job = std::move(job)]() mutable {
        RunConversion(job);
        m_runMp3 = job.settings.m_mp3;
        controls::QtHandOverScope scope;
        QMetaObject::invokeMethod(this, &CConvertingPage::OnWorkerEnding, Qt::QueuedConnection);
    });
    show();
}

void CConvertingPage::OnPageLeave() {
    hide();
    m_ui->idc_1062->setValue(0);
}

void CConvertingPage::OnCancel() { m_nCancel = 1; }

void CConvertingPage::OnWorkerEnding() {
    m_bWorkerEnding = true;
    emit WorkerEnding();
    FinishRun();
}

void CConvertingPage::WaitForRun() {
    if (!m_worker.joinable()) return;
    if (!m_bWorkerEnding) {
        // The worker's calls are carried out here meanwhile; its last one
        // ends the wait.
        QEventLoop loop;
        connect(this, &CConvertingPage::WorkerEnding, &loop, &QEventLoop::quit);
        // A loop entered while another posted call is handled (a queued
        // click) is not woken for calls posted before it began, the
        // worker's last notice among them: hand those over first.
        QCoreApplication::sendPostedEvents();
        if (!m_bWorkerEnding) loop.exec();
    }
    FinishRun();
}

void CConvertingPage::FinishRun() {
    if (!m_worker.joinable() || !m_bWorkerEnding) return;
    m_worker.join();
    m_settings.m_mp3.m_nInSampleRate = m_runMp3.m_nInSampleRate;
    m_settings.m_mp3.m_nInChannels = m_runMp3.m_nInChannels;
}

void CConvertingPage::EntryStarted(int index, int count, const std::string& name) {
    controls::RunOnUiThread([&] {
        m_ui->idc_1066->setText(QStringLiteral("%1/%2").arg(index + 1).arg(count));
        m_ui->idc_1067->setText(QString::fromStdString(name + "..."));
    });
}

void CConvertingPage::Progress(int percent) {
    controls::RunOnUiThread([&] {
        m_ui->idc_1062->setValue(percent);
        m_ui->idc_1071->setText(QString::number(percent) + QLatin1Char('%'));
    });
}

bool CConvertingPage::AskOverwrite(const std::string& output) {
    return controls::AskYesNoBox(
        CConversionRun::Format(CConversionRun::kOverwriteQuestion, output));
}

void CConvertingPage::ShowMessage(const std::string& text) { controls::AppMessageBox(text); }

void CConvertingPage::RunEnded() {
    controls::RunOnUiThread([this] {
        QEvent done(WM_CONVERT_DONE);
        QCoreApplication::sendEvent(window(), &done);
    });
}

}  // namespace tonalbox::ui
