#pragma once
// One job's converting page on the console: the run's entries and
// progress become the Console's, its message boxes lines, its question a
// prompt, and each entry's end a record of the report.

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
    void EntryStarted(int index, int count, const std::string& name) override;
    void Progress(int percent) override;
    void EntryEnded(const EntryResult& result) override;
    std::atomic<int>& CancelFlag() override { return m_cancelFlag; }
    std::atomic<int>& SuccessCounter() override { return m_successCounter; }
    bool AskOverwrite(const std::string& output) override;
    void EngineFailed() override { m_setupFailed = true; }
    void RunEnded() override;

    bool Done() const { return m_done; }
    // The run could not set up its engine and capture.
    bool SetupFailed() const { return m_setupFailed; }

private:
    static const char* StatusName(EntryResult::Status status);

    Console& m_console;
    const int m_slot;
    std::atomic<int>& m_cancelFlag;
    std::atomic<int> m_successCounter{0};
    const JobPathList* m_list;
    const int m_total;
    const JobQueue* m_queue;
    RunReport* m_report;
    // The entry in hand: when it started, its position in the whole list
    // (-1 without a list), and its path as listed, which every message
    // about it starts with.
    std::chrono::steady_clock::time_point m_entryStart{};
    int m_entryPosition = -1;
    std::string m_entryName;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_setupFailed{false};
};

}  // namespace tonalbox::cli
