#include "ui/CTonalboxDlg.h"

#include <QGroupBox>
#include <QPushButton>

#include "engine/ProductInfo.h"
#include "engine/SettingsFile.h"
#include "platform/InstallLayout.h"
#include "platform/ProgramPaths.h"
#include "ui/controls/AppMessageBox.h"
#include "ui/controls/DesktopOpener.h"
#include "ui/CAboutDlg.h"
#include "ui/controls/OpenHelp.h"
#include "skin/SkinManager.h"
#include "ui/CConvertingPage.h"
#include "ui/CFileListPage.h"
#include "ui/COptionDlg.h"
#include "ui/COutputPage.h"
#include "ui/CReturnKeyFilter.h"
#include "ui/CResultPage.h"
#include "ui/DialogUnits.h"
#include "ui/Resources.h"
#include "ui/WizardMessages.h"
#include "ui_tonalbox_102.h"


namespace tonalbox::ui {

CTonalboxDlg::CTonalboxDlg(ConversionSettings& settings, QWidget* parent,
                           const std::string& settingsPath)
    : CPersistDlg(IDD, kSettingsFileName, parent, settingsPath),
      m_settings(settings),
      m_ui(std::make_unique<Ui::Template102>()) {
    InitResources();
    ReserveWizardMessages();
    m_hIcon = LoadIconResource(128);

    // The skin next to the program (or in the installed data folder);
    // without it the standard look stays.
    skin::SkinManager::Instance().LoadSkinFile(platform::DataFilePath("Standard.skin"), "NormalBlue.ini");

    // A fixed-size top-level window with a caption, a window menu and a
    // minimise box, and its own taskbar entry.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_ui->setupUi(this);
    ApplyDialogTemplate(this);
    CReturnKeyFilter::Install(this);

    connect(m_ui->idc_1018, &QPushButton::clicked, this, &CTonalboxDlg::OnOption);
    connect(m_ui->idc_1015, &QPushButton::clicked, this, &CTonalboxDlg::OnAbout);
    connect(m_ui->idc_1014, &QPushButton::clicked, this, &CTonalboxDlg::OnHelp);
    connect(m_ui->idc_1016, &QPushButton::clicked, this, &CTonalboxDlg::OnWebSite);
    connect(m_ui->idc_1002, &QPushButton::clicked, this, &CTonalboxDlg::OnPrev);
    connect(m_ui->idc_1003, &QPushButton::clicked, this, &CTonalboxDlg::OnNext);
    connect(m_ui->idc_1004, &QPushButton::clicked, this, &CTonalboxDlg::OnRepeat);
    connect(m_ui->idc_1005, &QPushButton::clicked, this, &CTonalboxDlg::reject);
}

CTonalboxDlg::~CTonalboxDlg() { OnDestroy(); }

bool CTonalboxDlg::OnInitDialog() {
    // 1. The settings file.
    CPersistDlg::OnInitDialog();
    // 2. Qt offers no window-menu entries of a program's own on this
    // platform; About stays on its button.
    // 3.
    m_settings.m_bBurnToCD = 0;
    setWindowTitle(QString::fromUtf8(kProductName));
    setWindowIcon(m_hIcon);
    // 4.
    m_strProgramFolder = platform::ProgramFolder();
    // 5. The page area: the marker frame 1007 in client coordinates,
    // moved in by 3 pixels at the sides and the bottom and 7 at the top.
    m_rectPage = m_ui->idc_1007->geometry().adjusted(3, 7, -3, -3);
    // 6.
    auto* fileList = new CFileListPage(m_settings);
    auto* output = new COutputPage(m_settings);
    auto* converting = new CConvertingPage(m_settings);
    auto* result = new CResultPage(m_settings);
    // The other pages read the file list page's path list; the list object
    // stays the same for the life of the window.
    const IPathList* paths = &fileList->PathList();
    output->SetPathList(paths);
    converting->SetPathList(paths);
    result->SetPathList(paths);
    // 7.
    AddPage(fileList);
    // 8. The output page starts from the saved choices.
    output->m_strFolder = m_settings.m_strOutputFolder;
    output->m_bSameAsSource = m_settings.m_bSameAsSource;
    output->m_bUseTempFolder = m_settings.m_bUseTempFolder;
    output->m_bOverwrite = m_settings.m_bOverwrite;
    output->m_nFormatIndex = static_cast<int>(m_settings.m_nOutputFormat);
    output->m_nPortIndex = m_settings.m_nPortIndex;
    AddPage(output);
    // 9.
    AddPage(converting);
    AddPage(result);
    // 10.
    m_pages[kFileListPage]->OnPageEnter();
    UpdateNavButtons();
    return true;
}

void CTonalboxDlg::AddPage(CWizardPage* page) {
    page->Create(this);
    page->hide();
    page->PlaceOn(m_rectPage);
    m_pages.push_back(page);
    ++m_nPageCount;
}

CWizardPage* CTonalboxDlg::PageAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_pages.size()) ? m_pages[static_cast<size_t>(index)]
                                                                   : nullptr;
}

CFileListPage* CTonalboxDlg::FileListPage() const {
    return static_cast<CFileListPage*>(PageAt(kFileListPage));
}
COutputPage* CTonalboxDlg::OutputPage() const { return static_cast<COutputPage*>(PageAt(kOutputPage)); }
CConvertingPage* CTonalboxDlg::ConvertingPage() const {
    return static_cast<CConvertingPage*>(PageAt(kConvertingPage));
}
CResultPage* CTonalboxDlg::ResultPage() const { return static_cast<CResultPage*>(PageAt(kResultPage)); }

void CTonalboxDlg::UpdateNavButtons() {
    QPushButton* close = m_ui->idc_1005;
    QPushButton* prev = m_ui->idc_1002;
    QPushButton* next = m_ui->idc_1003;
    QPushButton* repeat = m_ui->idc_1004;
    DisableNavButtons();
    switch (m_nCurrentPage) {
        case kFileListPage:
            close->setEnabled(true);
            next->setEnabled(true);
            break;
        case kOutputPage:
            close->setEnabled(true);
            prev->setEnabled(true);
            next->setEnabled(true);
            break;
        case kResultPage:
            close->setEnabled(true);
            prev->setEnabled(true);
            repeat->setEnabled(true);
            break;
        default:
            break;
    }
}

void CTonalboxDlg::DisableNavButtons() {
    m_ui->idc_1005->setEnabled(false);
    m_ui->idc_1002->setEnabled(false);
    m_ui->idc_1003->setEnabled(false);
    m_ui->idc_1004->setEnabled(false);
}

void CTonalboxDlg::MoveTo(int page) {
    // Entering a page may wait (for the worker of an earlier run) while
    // events are handled: no button may start another move meanwhile.
    DisableNavButtons();
    m_bMoving = true;
    PageAt(m_nCurrentPage)->OnPageLeave();
    PageAt(page)->OnPageEnter();
    m_nCurrentPage = page;
    m_bMoving = false;
    UpdateNavButtons();
}

void CTonalboxDlg::OnNext() {
    if (m_pages.size() < 4 || m_bMoving) return;
    if (m_nCurrentPage == kFileListPage) {
        if (FileListPage()->PathCount() <= 0) {
            controls::AppMessageBox("Please add the MIDI files!", this);
            return;
        }
        MoveTo(kOutputPage);
    } else if (m_nCurrentPage == kOutputPage) {
        // The folder the files go to must exist first.
        if (!OutputPage()->PrepareOutputFolder()) return;
        MoveTo(kConvertingPage);
    } else {
        return;
    }
    FocusAfterMove(m_ui->idc_1003);
}

void CTonalboxDlg::OnPrev() {
    if (m_pages.size() < 4 || m_bMoving) return;
    if (m_nCurrentPage == kOutputPage) {
        MoveTo(kFileListPage);
    } else if (m_nCurrentPage == kResultPage) {
        MoveTo(kOutputPage);
    } else {
        return;
    }
    FocusAfterMove(m_ui->idc_1002);
}

void CTonalboxDlg::OnRepeat() {
    if (m_pages.size() < 4 || m_bMoving || m_nCurrentPage != kResultPage) return;
    ResultPage()->OnPageLeave();
    FileListPage()->OnPageEnter();
    FileListPage()->EmptyLists();
    m_nCurrentPage = kFileListPage;
    UpdateNavButtons();
    FocusAfterMove(m_ui->idc_1004);
}

void CTonalboxDlg::OnConvertDone() {
    if (m_pages.size() < 4) return;
    ConvertingPage()->OnPageLeave();
    ResultPage()->m_nSuccessCount = ConvertingPage()->SuccessCount();
    ResultPage()->OnPageEnter();
    ++m_nCurrentPage;
    UpdateNavButtons();
    FocusAfterMove(nullptr);
}

void CTonalboxDlg::FocusAfterMove(QWidget* mover) {
    // Disabling the button during the move sent the focus on to the next
    // control (a side button), where a second Space would press it.
    if (mover && mover->isEnabled()) {
        mover->setFocus(Qt::OtherFocusReason);
        return;
    }
    CWizardPage* page = PageAt(m_nCurrentPage);
    if (!page) return;
    for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this) &&
            (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

bool CTonalboxDlg::event(QEvent* event) {
    if (event->type() == WM_CONVERT_DONE) {
        OnConvertDone();
        return true;
    }
    return CPersistDlg::event(event);
}

void CTonalboxDlg::OnOption() {
    COptionDlg dlg(m_settings, this);
    dlg.exec();
}

void CTonalboxDlg::OnAbout() {
    CAboutDlg dlg(this);
    dlg.exec();
}

void CTonalboxDlg::OnHelp() {
    // The guide's folder: the program's own, or the installed data folder.
    controls::OpenHelp(platform::DataFolderOf("help"));
}

void CTonalboxDlg::OnWebSite() {
    // The result is not reported.
    controls::OpenWithDesktop(QString::fromUtf8(kProductWebAddress));
}

void CTonalboxDlg::StopRun() {
    CConvertingPage* converting = ConvertingPage();
    if (!converting) return;
    if (converting->IsRunning()) converting->OnCancel();
    converting->WaitForRun();
}

void CTonalboxDlg::done(int result) {
    StopRun();
    CPersistDlg::done(result);
}

void CTonalboxDlg::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    StopRun();
    if (IsInitialised()) SaveSettings();
    // The pages go from the last to the first.
    while (!m_pages.empty()) {
        CWizardPage* page = m_pages.back();
        m_pages.pop_back();
        delete page;
    }
    m_nPageCount = 0;
}

}  // namespace tonalbox::ui
