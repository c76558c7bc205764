#pragma once
// One job's converting page on the console: its controls become the
// Console's progress, its message boxes lines, its question a prompt.

#include <atomic>
#include <chrono>
#include <string>

#include "cli/Console.h"
#include "cli/JobQueue.h"
#include "cli/RunReport.h"
#include "engine/IConvertFrontEnd.h"

namespace tonalbox::cli {

class ConsoleFrontEnd : public IConvertFrontEnd {
public:
    // cancelFlag is shared by every job of the command (Ctrl-C stops them
    // all). With a list, the counter shows the file's position in the
    // whole command line instead of the run's own count, and with a
    // report too each entry's end is recorded there.
    ConsoleFrontEnd(Console& console, int slot, std::atomic<int>& cancelFlag,
                    const JobPathList* list = nullptr, int total = 0,
                    const JobQueue* queue = nullptr, RunReport* report = nullptr);

    void ShowMessage(const std::string& text) override;
    void SetProgressPos(int pos) override;
    void SetControlText(Control id, const std::string& text) override;
    std::atomic<int>& CancelFlag() override { return m_cancelFlag; }
    std::atomic<int>& SuccessCounter() override { return m_successCounter; }
    bool AskYesNo(const std::string& text) override;
    void ConvertDone() override;
    void EntryEnded(int index, const std::string& output, bool counted,
                    double musicSeconds) override;

    bool Done() const { return m_done; }
    // The run could not set up its engine and capture.
    bool SetupFailed() const { return m_setupFailed; }

private:
    Console& m_console;
    const int m_slot;
    std::atomic<int>& m_cancelFlag;
    std::atomic<int> m_successCounter{0};
    const JobPathList* m_list;
    const int m_total;
    const JobQueue* m_queue;
    RunReport* m_report;
    std::string m_counter;
    // The entry in hand: when it started, the run's messages about it, and
    // whether the overwrite question was answered No.
    std::chrono::steady_clock::time_point m_entryStart{};
    std::string m_entryMessage;
    // The entry's path as listed, which every message about it starts with.
    std::string m_entryName;
    bool m_declined = false;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_setupFailed{false};
};

}  // namespace tonalbox::cli
