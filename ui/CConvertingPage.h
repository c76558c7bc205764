#pragma once
// Page 2: entering it starts a conversion run on a worker thread; the page
// shows the current file, its progress and offers Cancel. The worker
// reaches the page through the front end it implements; every call from
// the worker is carried out on the user interface thread while the worker
// waits.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "engine/ConversionSettings.h"
#include "engine/IConvertFrontEnd.h"
#include "ui/CWizardPage.h"

namespace Ui {
class Template141;
}

namespace tonalbox::ui {

class CConvertingPage : public CWizardPage, public IConvertFrontEnd {
    Q_OBJECT

public:
    enum { IDD = 141 };

    explicit CConvertingPage(ConversionSettings& settings);
    ~CConvertingPage() override;

    // The one converting page of the process (null when there is none).
    static CConvertingPage* Instance();

    // Resets the cancel flag and the success counter, starts the run on a
    // worker thread and shows the page.
    void OnPageEnter() override;
    // Hides the page and puts the progress bar back to 0.
    void OnPageLeave() override;

    // Cancel: asks the run to stop; the run ends on its own.
    void OnCancel();
    // True from the start of a run until its worker has finished.
    bool IsRunning() const { return m_bRunning; }
    // Waits, handling events, until the worker has finished.
    void WaitForRun();

    int SuccessCount() const { return m_nSuccess; }

    // IConvertFrontEnd
    void SetProgressPos(int pos) override;
    void SetControlText(Control id, const std::string& text) override;
    std::atomic<int>& CancelFlag() override { return m_nCancel; }
    std::atomic<int>& SuccessCounter() override { return m_nSuccess; }
    bool AskYesNo(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    // Sends WM_CONVERT_DONE to the main window and waits until it was
    // handled.
    void ConvertDone() override;

protected:
    void SetupTemplate() override;
    void OnInitDialog() override;

private:
    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template141> m_ui;
    std::atomic<int> m_nSuccess{0};
    std::atomic<int> m_nCancel{0};
    std::atomic<bool> m_bRunning{false};
    std::thread m_worker;
};

}  // namespace tonalbox::ui
