#include "RecordingFrontEnd.h"

namespace tonalbox::testsupport {

void RecordingFrontEnd::Record(Event event) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    if (onEvent) onEvent(*this, event);
}

void RecordingFrontEnd::ShowMessage(const std::string& text) {
    Record({Kind::Message, 0, text, 0});
}

void RecordingFrontEnd::SetProgressPos(int pos) { Record({Kind::Progress, 0, {}, pos}); }

void RecordingFrontEnd::SetControlText(Control id, const std::string& text) {
    Record({Kind::Text, id, text, 0});
}

bool RecordingFrontEnd::AskYesNo(const std::string& text) {
    Record({Kind::Question, 0, text, 0});
    return answerYes;
}

void RecordingFrontEnd::ConvertDone() { Record({Kind::Done, 0, {}, 0}); }

std::vector<RecordingFrontEnd::Event> RecordingFrontEnd::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<std::string> RecordingFrontEnd::Texts(Control id) const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Text && e.control == id) out.push_back(e.text);
    }
    return out;
}

std::vector<std::string> RecordingFrontEnd::Messages() const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Message) out.push_back(e.text);
    }
    return out;
}

std::vector<std::string> RecordingFrontEnd::Questions() const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Question) out.push_back(e.text);
    }
    return out;
}

std::vector<int> RecordingFrontEnd::ProgressValues() const {
    std::vector<int> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Progress) out.push_back(e.value);
    }
    return out;
}

std::vector<int> RecordingFrontEnd::ProgressOf(const std::string& counter) const {
    std::vector<int> out;
    std::string current;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Text && e.control == kFileCounter) current = e.text;
        if (e.kind == Kind::Progress && current == counter) out.push_back(e.value);
    }
    return out;
}

int RecordingFrontEnd::DoneCount() const {
    int n = 0;
    for (const auto& e : Events()) n += e.kind == Kind::Done ? 1 : 0;
    return n;
}

}  // namespace tonalbox::testsupport
