#pragma once
// What became of each file of the command, counted, and with --report
// written as JSON Lines: one record per file as it ends (written at once,
// so a killed run leaves every finished file's record), and one with the
// totals at the end. The report is appended to, each line with one write,
// so that shards and resumed runs sharing one report never lose or split
// a line. Safe from any thread.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/EntryAudio.h"
#include "platform/Result.h"

namespace tonalbox::cli {

inline constexpr const char* kStatusConverted = "converted";
inline constexpr const char* kStatusSkipped = "skipped";
inline constexpr const char* kStatusFailed = "failed";
inline constexpr const char* kStatusCancelled = "cancelled";

struct FileRecord {
    std::string input;
    std::string output;
    std::string status;
    std::string message;  // the run's message text, if any
    double musicSeconds = 0.0;
    double wallSeconds = 0.0;
    uintmax_t bytes = 0;
    std::vector<std::string> stems;  // --stems: the stems written beside the output
    // As the run told it; for an entry no run took, only the SoundFont it
    // names (several --soundfont). Each field is null in the record when it
    // is not known; the format is written as -f takes it ("flac").
    EntryAudio audio;
};

class RunReport {
public:
    RunReport() = default;
    ~RunReport();
    RunReport(const RunReport&) = delete;
    RunReport& operator=(const RunReport&) = delete;

    // Opens the report file for appending, creating it when missing.
    // False with a message when it can not be opened.
    platform::Result Open(const std::string& path);
    // Closes the report file. False when it, or any line written to it,
    // failed; then the report is not whole.
    bool Close();
    // The number of files; records are kept apart by position.
    void SetTotal(int total);

    // The record of the file at position (each position once).
    void Add(int position, const FileRecord& record);
    bool Recorded(int position) const;

    // The closing record with the counts and sums.
    void WriteTotals(double wallSeconds);

private:
    void WriteLine(std::string line);

    mutable std::mutex m_mutex;
    int m_fd = -1;
    bool m_writeFailed = false;
    std::vector<bool> m_recorded;  // one bit a file
    int m_converted = 0, m_skipped = 0, m_failed = 0, m_cancelled = 0;
    double m_musicSeconds = 0.0;
    uintmax_t m_bytes = 0;
};

}  // namespace tonalbox::cli
