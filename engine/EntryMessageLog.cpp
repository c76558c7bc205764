#include "engine/EntryMessageLog.h"

#include <utility>

namespace tonalbox {

std::string EntryMessageLog::TakeMessages() { return std::exchange(m_messages, {}); }

void EntryMessageLog::ShowMessage(const std::string& text) {
    if (!m_messages.empty()) m_messages += "\n";
    m_messages += text;
    m_target.ShowMessage(text);
}

void EntryMessageLog::EntryStarted(int index, int count, const std::string& name) {
    m_target.EntryStarted(index, count, name);
}

void EntryMessageLog::Progress(int percent) { m_target.Progress(percent); }

void EntryMessageLog::EntryEnded(const EntryResult& result) { m_target.EntryEnded(result); }

std::atomic<int>& EntryMessageLog::CancelFlag() { return m_target.CancelFlag(); }

std::atomic<int>& EntryMessageLog::SuccessCounter() { return m_target.SuccessCounter(); }

bool EntryMessageLog::AskOverwrite(const std::string& output) {
    return m_target.AskOverwrite(output);
}

void EntryMessageLog::EngineFailed() { m_target.EngineFailed(); }

void EntryMessageLog::RunEnded() { m_target.RunEnded(); }

}  // namespace tonalbox
