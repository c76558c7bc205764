#pragma once
// The main wizard window (template 102): side buttons (Option, About,
// Help, WebSite), the page area with its four pages, and the navigation
// buttons Close, Prev, Next and Repeat. It restores the settings when it
// initialises and saves them when it goes.

#include <QIcon>
#include <QRect>

#include <memory>
#include <string>
#include <vector>

#include "engine/ConversionSettings.h"
#include "ui/CPersistDlg.h"

namespace Ui {
class Template102;
}

namespace tonalbox::ui {

class CWizardPage;
class CFileListPage;
class COutputPage;
class CConvertingPage;
class CResultPage;

class CTonalboxDlg : public CPersistDlg {
    Q_OBJECT

public:
    enum { IDD = 102 };
    enum Page { kFileListPage = 0, kOutputPage = 1, kConvertingPage = 2, kResultPage = 3 };

    // `settingsPath` empty: "Option.dat" where the settings-file rule puts
    // it. The skin is asked for here, before the window shows.
    explicit CTonalboxDlg(ConversionSettings& settings, QWidget* parent = nullptr,
                          const std::string& settingsPath = {});
    ~CTonalboxDlg() override;

    // Commands.
    void OnOption();
    void OnAbout();
    void OnHelp();
    void OnWebSite();
    void OnPrev();
    void OnNext();
    void OnRepeat();
    void UpdateNavButtons();

    int CurrentPage() const { return m_nCurrentPage; }
    int PageCount() const { return m_nPageCount; }
    QRect PageRect() const { return m_rectPage; }
    CWizardPage* PageAt(int index) const;
    CFileListPage* FileListPage() const;
    COutputPage* OutputPage() const;
    CConvertingPage* ConvertingPage() const;
    CResultPage* ResultPage() const;
    const std::string& ProgramFolder() const { return m_strProgramFolder; }

public slots:
    // Every way of ending (Close, Escape, the title bar, OK) first stops a
    // running conversion and waits for it, handling events meanwhile.
    void done(int result) override;

protected:
    bool OnInitDialog() override;
    ConversionSettings* PersistentSettings() override { return &m_settings; }
    bool event(QEvent* event) override;

private:
    void AddPage(CWizardPage* page);
    void MoveTo(int page);
    // After a move between pages: the focus goes back to the button that
    // made it (null: none) while that is enabled, else to the first control
    // of the page now shown.
    void FocusAfterMove(QWidget* mover);
    void DisableNavButtons();
    void OnConvertDone();
    void StopRun();
    void OnDestroy();

    QRect m_rectPage;
    int m_nPageCount = 0;
    int m_nCurrentPage = 0;
    std::string m_strProgramFolder;
    std::vector<CWizardPage*> m_pages;
    QIcon m_hIcon;

    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template102> m_ui;
    bool m_bDestroyed = false;
    bool m_bMoving = false;  // a move between pages is under way
};

}  // namespace tonalbox::ui
