#include "cli/ConsoleFrontEnd.h"

#include "engine/CConversionRun.h"
#include "engine/OutputNaming.h"

namespace tonalbox::cli {

ConsoleFrontEnd::ConsoleFrontEnd(Console& console, int slot, std::atomic<int>& cancelFlag,
                                 const JobPathList* list, int total, const JobQueue* queue,
                                 RunReport* report)
    : m_console(console), m_slot(slot), m_cancelFlag(cancelFlag), m_list(list), m_total(total),
      m_queue(queue), m_report(report) {}

void ConsoleFrontEnd::ShowMessage(const std::string& text) {
    // With -q or several jobs at once, nothing else says which file a
    // message is about.
    m_console.Message(m_entryName.empty() ? text : m_entryName + ": " + text);
}

void ConsoleFrontEnd::EntryStarted(int index, int count, const std::string& name) {
    m_entryStart = std::chrono::steady_clock::now();
    m_entryPosition = m_list != nullptr ? m_list->PositionOf(index) : -1;
    std::string counter = std::to_string(index + 1) + "/" + std::to_string(count);
    std::string shown = name;
    if (m_entryPosition >= 0) {
        counter = std::to_string(m_entryPosition + 1) + "/" + std::to_string(m_total);
        if (m_queue != nullptr) {
            m_entryName = m_queue->Path(m_entryPosition);
            // Over several SoundFonts one input is several entries.
            const std::string& soundFont = m_queue->SoundFont(m_entryPosition);
            if (!soundFont.empty()) shown += " (" + SoundFontLabel(soundFont) + ")";
        }
    }
    m_console.FileStarted(m_slot, counter, shown + "...");
}

// The bar line shows the bar's value itself.
void ConsoleFrontEnd::Progress(int percent) { m_console.Progress(m_slot, percent); }

void ConsoleFrontEnd::RunEnded() {
    m_done = true;
    m_console.JobDone(m_slot);
}

bool ConsoleFrontEnd::AskOverwrite(const std::string& output) {
    return m_console.Ask(CConversionRun::Format(CConversionRun::kOverwriteQuestion, output));
}

const char* ConsoleFrontEnd::StatusName(EntryResult::Status status) {
    switch (status) {
        case EntryResult::Status::Converted: return kStatusConverted;
        case EntryResult::Status::Skipped: return kStatusSkipped;
        case EntryResult::Status::Cancelled: return kStatusCancelled;
        case EntryResult::Status::Failed: break;
    }
    return kStatusFailed;
}

void ConsoleFrontEnd::EntryEnded(const EntryResult& result) {
    m_entryName.clear();
    if (m_report == nullptr || m_queue == nullptr || m_entryPosition < 0) return;
    FileRecord record;
    record.input = m_queue->Path(m_entryPosition);
    // A file the run turned down before naming its output still has one.
    record.output = result.output.empty() ? m_queue->OutputPath(m_entryPosition) : result.output;
    record.message = result.message;
    record.musicSeconds = result.musicSeconds;
    record.stems = result.stems;
    record.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_entryStart).count();
    record.status = StatusName(result.status);
    record.bytes = result.bytes;
    record.audio = result.audio;
    m_report->Add(m_entryPosition, record);
}

}  // namespace tonalbox::cli
