#pragma once
// The front end as the parts of a run (the run itself, its engine, its
// encoder) see it: every call goes on to the real front end, and the
// messages shown are kept as well, so that the entry's result can say
// what was said about it.

#include <string>

#include "engine/IConvertFrontEnd.h"

namespace tonalbox {

class EntryMessageLog : public IConvertFrontEnd {
public:
    explicit EntryMessageLog(IConvertFrontEnd& target) : m_target(target) {}
    EntryMessageLog(const EntryMessageLog&) = delete;
    EntryMessageLog& operator=(const EntryMessageLog&) = delete;

    // The messages shown since the last call, one a line.
    std::string TakeMessages();

    void ShowMessage(const std::string& text) override;
    void EntryStarted(int index, int count, const std::string& name) override;
    void Progress(int percent) override;
    void EntryEnded(const EntryResult& result) override;
    std::atomic<int>& CancelFlag() override;
    std::atomic<int>& SuccessCounter() override;
    bool AskOverwrite(const std::string& output) override;
    void EngineFailed() override;
    void RunEnded() override;

private:
    IConvertFrontEnd& m_target;
    std::string m_messages;
};

}  // namespace tonalbox
