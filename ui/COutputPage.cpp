#include "ui/COutputPage.h"

#include <dirent.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>

#include "engine/OptionRegistry.h"
#include "platform/ProgramPaths.h"
#include "ui/controls/AppMessageBox.h"
#include "ui/controls/UiThread.h"
#include "ui/CWaitDialog.h"
#include "ui/DialogDataExchange.h"
#include "ui/Resources.h"
#include "ui/WizardMessages.h"
#include "ui_output_140.h"

namespace tonalbox::ui {

namespace {

const char* const kNoPortText =
    "Can't find any soundfusion! Ensure you have an audio card device and DirectX 8.0 or "
    "aboveinstalled in your system.";
const char* const kNoEngineText =
    "Can't initialize DirectMusic objects.Ensure you have an audio card device and DirectX 8.0 "
    "or aboveinstalled in your system.";

}  // namespace

COutputPage::COutputPage(ConversionSettings& settings)
    : CWizardPage(IDD), m_settings(settings), m_ui(std::make_unique<Ui::Template140>()) {}

COutputPage::~COutputPage() {
    // The output's own time limit bounds this wait.
    if (m_engineStart.joinable()) m_engineStart.join();
    StopPreListen(false);
    delete m_pWaitDlg.data();
    m_engine.Shutdown();
}

void COutputPage::SetupTemplate() {
    m_ui->setupUi(this);
    // The format list's positions are the stored values.
    FillList(m_ui->idc_1049, options::OutputFormats());
}

CWaitDialog* COutputPage::WaitDialog() const { return m_pWaitDlg.data(); }

void COutputPage::OnInitDialog() {
    connect(m_ui->idc_1020, &QPushButton::clicked, this, &COutputPage::OnBrowse);
    connect(m_ui->idc_1029, &QPushButton::clicked, this, &COutputPage::OnPreListen);
    connect(m_ui->idc_1061, &QCheckBox::clicked, this, &COutputPage::OnSameAsSource);
    connect(m_ui->idc_1062, &QCheckBox::clicked, this, &COutputPage::OnUseTempFolder);
    connect(m_ui->idc_1050, &QComboBox::activated, this, &COutputPage::OnPortSelChange);
    DataToControls();

    // The engine starts behind the notice, once the event loop runs.
    m_pWaitDlg = new CWaitDialog(parentWidget() ? parentWidget()->window() : nullptr);
    m_pWaitDlg->SetNotifyWindow(this);
    m_pWaitDlg->show();
}

bool COutputPage::event(QEvent* event) {
    if (event->type() == WM_INIT_ENGINE) {
        OnInitEngine();
        return true;
    }
    return CWizardPage::event(event);
}

void COutputPage::closeEvent(QCloseEvent* event) {
    StopPreListen(false);
    CWizardPage::closeEvent(event);
}

void COutputPage::DataToControls() {
    m_ui->idc_1035->setText(QString::fromStdString(m_strFolder));
    m_ui->idc_1049->setCurrentIndex(m_nFormatIndex < m_ui->idc_1049->count() ? m_nFormatIndex : -1);
    m_ui->idc_1061->setChecked(m_bSameAsSource != 0);
    m_ui->idc_1034->setChecked(m_bOverwrite != 0);
    m_ui->idc_1050->setCurrentIndex(m_nPortIndex < m_ui->idc_1050->count() ? m_nPortIndex : -1);
    m_ui->idc_1062->setChecked(m_bUseTempFolder != 0);
}

void COutputPage::ControlsToData() {
    m_strFolder = m_ui->idc_1035->text().toStdString();
    m_nFormatIndex = m_ui->idc_1049->currentIndex();
    m_bSameAsSource = m_ui->idc_1061->isChecked() ? 1 : 0;
    m_bOverwrite = m_ui->idc_1034->isChecked() ? 1 : 0;
    m_nPortIndex = m_ui->idc_1050->currentIndex();
    m_bUseTempFolder = m_ui->idc_1062->isChecked() ? 1 : 0;
}

void COutputPage::OnInitEngine() {
    if (m_bEngineStarting || m_bEngineStarted) return;
    m_bEngineStarting = true;
    m_engineStart = std::thread([this] {
        const int result = m_engine.Initialize(EngineMode::PreListen, DMUS_APATH_DYNAMIC_STEREO, 22050);
        controls::HandOver(this);
        controls::QtHandOverScope scope;
        QMetaObject::invokeMethod(this, [this, result] { OnEngineStarted(result); }, Qt::QueuedConnection);
    });
}

void COutputPage::OnEngineStarted(int result) {
    controls::TakeOver(this);
    m_engineStart.join();
    m_bEngineStarted = true;
    QComboBox* ports = m_ui->idc_1050;

    // 1-2: the engine in pre-listen mode, then its output ports.
    if (result < 0) {
        controls::AppMessageBox(kNoEngineText, this);
    } else {
        bool first = true;
        for (int i = 0; i < kMaxPorts; ++i) {
            if (m_engine.EnumPort(i, &m_rgPorts[static_cast<size_t>(i)]) != 0) break;
            const PortInfo& port = m_rgPorts[static_cast<size_t>(i)];
            if (port.dwClass != DMUS_PC_OUTPUTCLASS) continue;
            // The entry's data is the record's position in the array.
            ports->addItem(QString::fromUtf8(port.szDescription), i);
            if (first) {
                first = false;
                m_engine.CreatePort(port);
                ports->setCurrentIndex(ports->count() - 1);
            }
        }
    }

    // 3: the saved choice.
    const int n = ports->count();
    if (m_nPortIndex < n) {
        ports->setCurrentIndex(m_nPortIndex < 0 ? -1 : m_nPortIndex);
    } else if (n == 0) {
        controls::AppMessageBox(kNoPortText, this);
    } else {
        ports->setCurrentIndex(0);
    }

    // 4-6.
    m_hIconStop = LoadIconResource(147);
    m_hIconPlay = LoadIconResource(146);
    ShowPlayIcon(true);
    OnSameAsSource();
    delete m_pWaitDlg.data();
}

void COutputPage::OnPageEnter() {
    show();
    if (m_bUseTempFolder) {
        const std::string temp = platform::TempFolder();
        m_settings.m_strOutputFolder = temp;
        m_strFolder = temp;
        m_ui->idc_1035->setText(QString::fromStdString(temp));
    }
    OnUseTempFolder();
}

void COutputPage::OnPageLeave() {
    ControlsToData();
    m_settings.m_strOutputFolder = m_strFolder;
    m_settings.m_bOverwrite = m_bOverwrite;
    m_settings.m_bSameAsSource = m_bSameAsSource;
    m_settings.m_bUseTempFolder = m_bUseTempFolder;
    m_settings.m_nOutputFormat = static_cast<OutputFormat>(m_nFormatIndex);
    m_settings.m_nPortIndex = m_nPortIndex;
    StopPreListen(true);
    hide();
}

bool COutputPage::PrepareOutputFolder() {
    ControlsToData();
    if (m_bSameAsSource || FolderTest(m_strFolder)) return true;
    if (platform::MakeFolder(m_strFolder) && FolderTest(m_strFolder)) return true;
    controls::AppMessageBox("Can not create folder: " + m_strFolder + ".", this);
    return false;
}

bool COutputPage::FolderTest(const std::string& folder) {
    // An empty folder would put the output in whatever the working folder
    // happens to be; it does not pass.
    if (folder.empty()) return false;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return false;
    const bool any = ::readdir(dir) != nullptr;
    ::closedir(dir);
    return any;
}

void COutputPage::OnSameAsSource() {
    const bool enable = !m_ui->idc_1061->isChecked();
    m_ui->idc_1020->setEnabled(enable);
    m_ui->idc_1035->setEnabled(enable);
}

void COutputPage::OnUseTempFolder() {
    const bool checked = m_ui->idc_1062->isChecked();
    m_ui->idc_1020->setEnabled(!checked);
    m_ui->idc_1035->setEnabled(!checked);
    if (checked) {
        m_strFolder = platform::TempFolder();
        m_ui->idc_1035->setText(QString::fromStdString(m_strFolder));
    }
}

void COutputPage::OnBrowse() {
    // The browser starts at the current output folder.
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QStringLiteral("Select Destination Path:"), m_ui->idc_1035->text(),
        QFileDialog::ShowDirsOnly);
    if (chosen.isNull()) return;
    m_strFolder = platform::WithTrailingSeparator(chosen.toStdString());
    m_ui->idc_1035->setText(QString::fromStdString(m_strFolder));
}

void COutputPage::ShowPlayIcon(bool play) {
    m_ui->idc_1029->setIcon(play ? m_hIconPlay : m_hIconStop);
    m_nIconShown = play ? 146 : 147;
}

void COutputPage::StopPreListen(bool restoreIcon) {
    if (!m_bPlaying) return;
    m_engine.Stop();
    m_bPlaying = 0;
    if (restoreIcon) ShowPlayIcon(true);
}

void COutputPage::OnPreListen() {
    // Nothing to play on before the engine has started.
    if (!m_bEngineStarted) return;
    QComboBox* ports = m_ui->idc_1050;
    if (ports->count() == 0) {
        controls::AppMessageBox(kNoPortText, this);
        return;
    }
    if (ports->currentIndex() < 0) return;
    if (m_bPlaying) {
        StopPreListen(true);
        return;
    }
    const int record = ports->currentData().toInt();
    if (record < 0 || record >= kMaxPorts) return;
    const PortInfo port = m_rgPorts[static_cast<size_t>(record)];
    m_engine.CreatePort(port);

    // The first file of the list, whatever is selected there.
    const IPathList* list = m_pPaths;
    const std::string first = list && list->GetCount() > 0 ? list->GetPath(0) : std::string();
    if (m_engine.LoadMidiFile(first, true) < 0) {
        controls::AppMessageBox("Error loading file", this);
        return;
    }
    m_engine.Play();
    m_bPlaying = 1;
    ShowPlayIcon(false);
}

void COutputPage::OnPortSelChange() { StopPreListen(true); }

}  // namespace tonalbox::ui
