#pragma once
// Standard error as the converter's window: the progress of every running
// job, the run's message boxes as lines, and the overwrite question. All
// jobs share one Console; every call is safe from any thread.

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace tonalbox::cli {

// text with its control characters written as \xNN, so that a file name
// can not move the cursor or recolour the terminal: the C0 controls, DEL
// and the C1 controls, in their UTF-8 form (two escapes each) or as raw
// bytes outside any well-formed UTF-8 sequence.
std::string EscapeControls(const std::string& text);

// Every text the Console prints goes through EscapeControls.
class Console {
public:
    struct Options {
        bool progressBar = false;  // standard error is a terminal: redraw one line
        bool canAsk = false;       // questions are read from `input`
        bool quiet = false;        // no progress at all
        int width = 80;            // terminal columns for the bar line
    };

    Console(std::FILE* out, std::FILE* input, const Options& options, int slots);

    // A message box: one line with the text.
    void Message(const std::string& text);
    // A Yes/No question: asked when there is a terminal, answered No
    // otherwise. Only one question is open at a time.
    bool Ask(const std::string& question);

    // A job reached a file: its position text ("2/5") and name text.
    void FileStarted(int slot, const std::string& counter, const std::string& name);
    void Progress(int slot, int percent);
    // A job's run is over: it leaves the bar line.
    void JobDone(int slot);
    // Removes the bar line (before the summary).
    void Finish();

    // The text of the bar line as it is drawn now (for a terminal).
    std::string BarLine() const;

private:
    struct Slot {
        bool active = false;
        std::string counter;
        std::string name;
        int percent = 0;
    };

    std::string BarLineLocked() const;
    void ClearBarLocked();
    void DrawBarLocked(bool force);

    std::FILE* m_out;
    std::FILE* m_input;
    Options m_options;
    mutable std::mutex m_mutex;
    std::mutex m_askMutex;
    std::vector<Slot> m_slots;
    bool m_barShown = false;
    bool m_asking = false;  // a question waits for its answer on the terminal
    std::chrono::steady_clock::time_point m_lastDraw{};
};

}  // namespace tonalbox::cli
