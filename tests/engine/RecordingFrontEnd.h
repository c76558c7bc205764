#pragma once
// A converting page for tests: records everything a run shows, answers
// questions as told, and lets a test act (for example press Cancel) when
// a given thing is shown.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/IConvertFrontEnd.h"

namespace tonalbox::testsupport {

class RecordingFrontEnd : public IConvertFrontEnd {
public:
    enum class Kind { Progress, Text, Message, Question, Done };
    struct Event {
        Kind kind;
        int control = 0;    // for Text
        std::string text;   // Text, Message, Question
        int value = 0;      // Progress
    };

    void ShowMessage(const std::string& text) override;
    void SetProgressPos(int pos) override;
    void SetControlText(Control id, const std::string& text) override;
    std::atomic<int>& CancelFlag() override { return m_cancel; }
    std::atomic<int>& SuccessCounter() override { return m_success; }
    bool AskYesNo(const std::string& text) override;
    void ConvertDone() override;

    // Answer to every question (No unless set).
    bool answerYes = false;
    // Called after every recorded event, on the run's thread.
    std::function<void(RecordingFrontEnd&, const Event&)> onEvent;

    std::vector<Event> Events() const;
    std::vector<std::string> Texts(Control id) const;
    std::vector<std::string> Messages() const;
    std::vector<std::string> Questions() const;
    std::vector<int> ProgressValues() const;
    // The progress values shown while the file counter read `counter`.
    std::vector<int> ProgressOf(const std::string& counter) const;
    int DoneCount() const;

private:
    void Record(Event event);

    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    std::atomic<int> m_cancel{0};
    std::atomic<int> m_success{0};
};

}  // namespace tonalbox::testsupport
