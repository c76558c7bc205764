#include "RecordingFrontEnd.h"

#include <utility>

namespace tonalbox::testsupport {

void RecordingFrontEnd::Record(Kind kind, std::string text, int value, int count,
                               EntryResult result) {
    Event event{kind, std::move(text), value, count, std::move(result)};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    if (onEvent) onEvent(*this, event);
}

void RecordingFrontEnd::ShowMessage(const std::string& text) { Record(Kind::Message, text); }

void RecordingFrontEnd::EntryStarted(int index, int count, const std::string& name) {
    Record(Kind::Started, name, index, count);
}

void RecordingFrontEnd::Progress(int percent) { Record(Kind::Progress, {}, percent); }

void RecordingFrontEnd::EntryEnded(const EntryResult& result) {
    Record(Kind::Ended, {}, 0, 0, result);
}

bool RecordingFrontEnd::AskOverwrite(const std::string& output) {
    Record(Kind::Question, output);
    return answerYes;
}

void RecordingFrontEnd::EngineFailed() { Record(Kind::EngineFailed); }

void RecordingFrontEnd::RunEnded() { Record(Kind::Done); }

std::vector<RecordingFrontEnd::Event> RecordingFrontEnd::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::string RecordingFrontEnd::CounterOf(const Event& started) {
    return std::to_string(started.value + 1) + "/" + std::to_string(started.count);
}

std::vector<std::string> RecordingFrontEnd::TextsOf(Kind kind) const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
        if (e.kind == kind) out.push_back(e.text);
    }
    return out;
}

std::vector<std::string> RecordingFrontEnd::Counters() const {
    std::vector<std::string> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Started) out.push_back(CounterOf(e));
    }
    return out;
}

std::vector<std::string> RecordingFrontEnd::Names() const { return TextsOf(Kind::Started); }

std::vector<std::string> RecordingFrontEnd::Messages() const { return TextsOf(Kind::Message); }

std::vector<std::string> RecordingFrontEnd::Questions() const { return TextsOf(Kind::Question); }

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
        if (e.kind == Kind::Started) current = CounterOf(e);
        if (e.kind == Kind::Progress && current == counter) out.push_back(e.value);
    }
    return out;
}

std::vector<EntryResult> RecordingFrontEnd::Results() const {
    std::vector<EntryResult> out;
    for (const auto& e : Events()) {
        if (e.kind == Kind::Ended) out.push_back(e.result);
    }
    return out;
}

int RecordingFrontEnd::DoneCount() const {
    int n = 0;
    for (const auto& e : Events()) n += e.kind == Kind::Done ? 1 : 0;
    return n;
}

}  // namespace tonalbox::testsupport
