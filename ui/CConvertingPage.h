#pragma once
// Page 2: entering it starts a conversion run on a worker thread; the page
// shows the current file, its progress and offers Cancel. The run gets a
// job of its own (a copy of the settings and of the tag, a snapshot of the
// file list) and reaches the page only through the front end it
// implements; every call from the worker is carried out on the user
// interface thread while the worker waits.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "engine/ConversionSettings.h"
#include "engine/IConvertFrontEnd.h"
#include "engine/IPathList.h"
#include "engine/Mp3EncoderSettings.h"
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

    // The file list whose entries the next run converts (the file list
    // page's path list); null converts nothing.
    void SetPathList(const IPathList* list) { m_pPaths = list; }

    // Resets the cancel flag, the success counter, the bar and the texts,
    // starts the run on a worker thread over a job of its own and shows
    // the page.
    void OnPageEnter() override;
    // Hides the page and puts the progress bar back to 0.
    void OnPageLeave() override;

    // Cancel: asks the run to stop; the run ends on its own.
    void OnCancel();
    // True from the start of a run until its worker has been joined.
    bool IsRunning() const { return m_worker.joinable(); }
    // Waits, handling events, until the worker has finished, then joins it
    // and copies what the run wrote into its settings (the MP3 input rate
    // and channels) back into the program's settings.
    void WaitForRun();

    int SuccessCount() const { return m_nSuccess; }

    // IConvertFrontEnd: the entry's counter "%d/%d" and name "<name>...",
    // the bar and its "%d%"; the question and the messages as boxes.
    void EntryStarted(int index, int count, const std::string& name) override;
    void Progress(int percent) override;
    std::atomic<int>& CancelFlag() override { return m_nCancel; }
    std::atomic<int>& SuccessCounter() override { return m_nSuccess; }
    bool AskOverwrite(const std::string& output) override;
    void ShowMessage(const std::string& text) override;
    // Sends WM_CONVERT_DONE to the main window and waits until it was
    // handled.
    void RunEnded() override;

signals:
    // The worker has made its last call; it is about to end.
    void WorkerEnding();

protected:
    void SetupTemplate() override;
    void OnInitDialog() override;

private:
    // Posted by the worker as its last act.
    void OnWorkerEnding();
    // Joins an ending worker and takes over what its run wrote back.
    void FinishRun();
    void ResetTexts();

    ConversionSettings& m_settings;
    std::unique_ptr<Ui::Template141> m_ui;
    const IPathList* m_pPaths = nullptr;
    std::atomic<int> m_nSuccess{0};
    std::atomic<int> m_nCancel{0};
    std::thread m_worker;
    // Written by the worker once its run is over, read after the join.
    Mp3EncoderSettings m_runMp3;
    bool m_bWorkerEnding = false;
};

}  // namespace tonalbox::ui
