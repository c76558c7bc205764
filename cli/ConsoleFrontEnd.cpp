#include "cli/ConsoleFrontEnd.h"

#include "engine/CConversionRun.h"

namespace tonalbox::cli {

ConsoleFrontEnd::ConsoleFrontEnd(Console& console, int slot, std::atomic<int>& cancelFlag,
                                 const JobPathList* list, int total)
    : m_console(console), m_slot(slot), m_cancelFlag(cancelFlag), m_list(list), m_total(total) {}

void ConsoleFrontEnd::ShowMessage(const std::string& text) {
    if (text == CConversionRun::kSetAudioFxError) m_setupFailed = true;
    m_console.Message(text);
}

void ConsoleFrontEnd::SetProgressPos(int pos) { m_console.Progress(m_slot, pos); }

void ConsoleFrontEnd::SetControlText(Control id, const std::string& text) {
    switch (id) {
        case kFileCounter:
            if (m_list != nullptr && m_list->CurrentPosition() >= 0) {
                m_counter = std::to_string(m_list->CurrentPosition() + 1) + "/" +
                            std::to_string(m_total);
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

bool ConsoleFrontEnd::AskYesNo(const std::string& text) { return m_console.Ask(text); }

}  // namespace tonalbox::cli
