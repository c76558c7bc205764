#pragma once
// A converting page for tests: records everything a run tells it, answers
// questions as told, and lets a test act (for example press Cancel) when
// a given thing is told.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IConvertFrontEnd.h"

namespace tonalbox::testsupport {

class RecordingFrontEnd : public IConvertFrontEnd {
public:
    enum class Kind { Started, Progress, Ended, Message, Question, EngineFailed, Done };
    struct Event {
        Kind kind;
        std::string text;  // Started: the name; Message; Question: the output
        int value = 0;     // Started: the index; Progress: the percent
        int count = 0;     // Started
        EntryResult result;  // Ended
    };

    void ShowMessage(const std::string& text) override;
    void EntryStarted(int index, int count, const std::string& name) override;
    void Progress(int percent) override;
    void EntryEnded(const EntryResult& result) override;
    std::atomic<int>& CancelFlag() override { return m_cancel; }
    std::atomic<int>& SuccessCounter() override { return m_success; }
    bool AskOverwrite(const std::string& output) override;
    void EngineFailed() override;
    void RunEnded() override;

    // Answer to every question (No unless set).
    bool answerYes = false;
    // Called after every recorded event, on the run's thread.
    std::function<void(RecordingFrontEnd&, const Event&)> onEvent;

    std::vector<Event> Events() const;
    // Every entry's start as "<index + 1>/<count>".
    std::vector<std::string> Counters() const;
    std::vector<std::string> Names() const;
    std::vector<std::string> Messages() const;
    // The outputs the run asked to replace.
    std::vector<std::string> Questions() const;
    std::vector<int> ProgressValues() const;
    // The progress values told while the entry started as `counter` was in hand.
    std::vector<int> ProgressOf(const std::string& counter) const;
    std::vector<EntryResult> Results() const;
    int DoneCount() const;

    static std::string CounterOf(const Event& started);

private:
    void Record(Kind kind, std::string text = {}, int value = 0, int count = 0,
                EntryResult result = {});
    std::vector<std::string> TextsOf(Kind kind) const;

    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    std::atomic<int> m_cancel{0};
    std::atomic<int> m_success{0};
};

}  // namespace tonalbox::testsupport
