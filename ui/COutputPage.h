#pragma once
// Page 1: where the files go, whether existing ones are replaced, the
// format, and a pre-listen of the first file of the list on a chosen
// synthesizer port. The page's own engine starts once, at program start,
// behind the "please wait" notice.

#include <QIcon>
#include <QPointer>

#include <array>
#include <memory>
#include <string>
#include <thread>

#include "engine/CMidiMusic.h"
#include "engine/ConversionSettings.h"
#include "engine/IPathList.h"
#include "ui/controls/CAppMessageSink.h"
#include "ui/CWizardPage.h"

namespace Ui {
class Template140;
}

namespace tonalbox::ui {

class CWaitDialog;

class COutputPage : public CWizardPage {
    Q_OBJECT

public:
    enum { IDD = 140 };
    static constexpr int kMaxPorts = 100;

    explicit COutputPage(ConversionSettings& settings);
    ~COutputPage() override;

    void OnPageEnter() override;
    // Takes the choices from the controls, stores them in the settings,
    // stops a pre-listen and hides the page.
    void OnPageLeave() override;
    // Before a run: creates the chosen output folder when it is missing.
    // When it cannot be created, shows "Can not create folder: %s." and returns
    // false (the window stays on the page). True with "Same as source".
    bool PrepareOutputFolder();

    // The file list page's path list: pre-listen plays its first entry.
    void SetPathList(const IPathList* list) { m_pPaths = list; }

    // The buttons, boxes and lists.
    void OnBrowse();
    void OnPreListen();
    void OnSameAsSource();
    void OnUseTempFolder();
    void OnPortSelChange();
    // The engine start-up (WM_INIT_ENGINE): the engine starts on a thread
    // of its own, since its sound output may take seconds to open; the
    // window answers meanwhile and the notice stays up.
    void OnInitEngine();

    // Members <-> controls.
    void DataToControls();
    void ControlsToData();

    // True when the folder exists and can be listed.
    static bool FolderTest(const std::string& folder);

    bool IsEngineStarting() const { return m_bEngineStarting && !m_bEngineStarted; }
    bool IsEngineStarted() const { return m_bEngineStarted; }
    CWaitDialog* WaitDialog() const;
    bool IsPlaying() const { return m_bPlaying != 0; }
    // The icon now on the pre-listen button: 146 play, 147 stop.
    int PreListenIconId() const { return m_nIconShown; }

    // Exchanged with the controls.
    std::string m_strFolder;
    int m_nFormatIndex = -1;
    int m_bSameAsSource = 0;
    int m_bOverwrite = 0;
    int m_nPortIndex = -1;
    int m_bUseTempFolder = 0;
    int m_bPlaying = 0;

protected:
    void SetupTemplate() override;
    // Fills the controls and opens the "please wait" notice.
    void OnInitDialog() override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The rest of the start-up, once the engine's Initialize returned.
    void OnEngineStarted(int result);
    void ShowPlayIcon(bool play);
    void StopPreListen(bool restoreIcon);

    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template140> m_ui;
    const IPathList* m_pPaths = nullptr;
    controls::CAppMessageSink m_messages;
    CMidiMusic m_engine{&m_messages};
    std::array<PortInfo, kMaxPorts> m_rgPorts{};
    QIcon m_hIconPlay;
    QIcon m_hIconStop;
    QPointer<CWaitDialog> m_pWaitDlg;
    bool m_bEngineStarting = false;
    bool m_bEngineStarted = false;
    std::thread m_engineStart;
    int m_nIconShown = 0;
};

}  // namespace tonalbox::ui
