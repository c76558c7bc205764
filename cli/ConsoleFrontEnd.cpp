#include "cli/ConsoleFrontEnd.h"

#include <filesystem>
#include <system_error>

#include "engine/CConversionRun.h"

namespace tonalbox::cli {

ConsoleFrontEnd::ConsoleFrontEnd(Console& console, int slot, std::atomic<int>& cancelFlag,
                                 const JobPathList* list, int total, const JobQueue* queue,
                                 RunReport* report)
    : m_console(console), m_slot(slot), m_cancelFlag(cancelFlag), m_list(list), m_total(total),
      m_queue(queue), m_report(report) {}

void ConsoleFrontEnd::ShowMessage(const std::string& text) {
    if (text == CConversionRun::kSetAudioFxError) m_setupFailed = true;
    if (!m_entryMessage.empty()) m_entryMessage += "\n";
    m_entryMessage += text;
    // With -q or several jobs at once, nothing else says which file a
    // message is about.
    m_console.Message(m_entryName.empty() ? text : m_entryName + ": " + text);
}

void ConsoleFrontEnd::SetProgressPos(int pos) { m_console.Progress(m_slot, pos); }

void ConsoleFrontEnd::SetControlText(Control id, const std::string& text) {
    switch (id) {
        case kFileCounter:
            m_entryStart = std::chrono::steady_clock::now();
            m_entryMessage.clear();
            m_declined = false;
            if (m_list != nullptr && m_list->CurrentPosition() >= 0) {
                m_counter = std::to_string(m_list->CurrentPosition() + 1) + "/" +
                            std::to_string(m_total);
                if (m_queue != nullptr) m_entryName = m_queue->Path(m_list->CurrentPosition());
            } else {
                m_counter = text;
            }
            break;
        case kFileName:
            m_console.FileStarted(m_slot, m_counter, text);
            break;
        case kFileProgress:
        case kPercent:
            break;  // the bar line shows the bar's value itself
    }
}

void ConsoleFrontEnd::ConvertDone() {
    m_done = true;
    m_console.JobDone(m_slot);
}

bool ConsoleFrontEnd::AskYesNo(const std::string& text) {
    const bool yes = m_console.Ask(text);
    m_declined = !yes;
    if (!yes) m_entryMessage = text;
    return yes;
}

void ConsoleFrontEnd::EntryEnded(int index, const std::string& output, bool counted,
                                 double musicSeconds) {
    m_entryName.clear();
    if (m_report == nullptr || m_list == nullptr || m_queue == nullptr) return;
    const int position = m_list->PositionOf(index);
    if (position < 0) return;
    FileRecord record;
    record.input = m_queue->Path(position);
    // A file the run turned down before naming its output still has one.
    record.output = output.empty() ? m_queue->OutputPath(position) : output;
    record.message = m_entryMessage;
    record.musicSeconds = musicSeconds;
    record.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_entryStart).count();
    if (counted) {
        record.status = kStatusConverted;
        std::error_code ec;
        const auto bytes = std::filesystem::file_size(output, ec);
        record.bytes = ec ? 0 : bytes;
    } else if (m_cancelFlag.load() != 0) {
        record.status = kStatusCancelled;
    } else {
        record.status = m_declined ? kStatusSkipped : kStatusFailed;
    }
    m_report->Add(position, record);
}

}  // namespace tonalbox::cli
