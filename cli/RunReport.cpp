#include "cli/RunReport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

namespace tonalbox::cli {

namespace {

// Names are bytes; a name that is not UTF-8 gets U+FFFD for the bytes
// that are not (the dump never throws).
std::string Dump(const nlohmann::json& json) {
    return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// What is not known is null.
nlohmann::json OrNull(const std::string& text) { return text.empty() ? nlohmann::json() : nlohmann::json(text); }
nlohmann::json OrNull(int number) { return number > 0 ? nlohmann::json(number) : nlohmann::json(); }
nlohmann::json OrNull(const std::optional<double>& number) {
    return number ? nlohmann::json(*number) : nlohmann::json();
}

nlohmann::json RecordJson(const FileRecord& r) {
    const EntryAudio& a = r.audio;
    const std::string format = a.format ? std::string(options::OutputExtension(*a.format)) : std::string();
    nlohmann::json json = {{"input", r.input},
                           {"output", r.output},
                           {"status", r.status},
                           {"message", r.message},
                           {"music_seconds", r.musicSeconds},
                           {"wall_seconds", r.wallSeconds},
                           {"bytes", r.bytes},
                           {"format", OrNull(format)},
                           {"sample_rate", OrNull(a.sampleRate)},
                           {"channels", OrNull(a.channels)},
                           {"soundfont", OrNull(a.soundFont)},
                           {"loudness_lufs", OrNull(a.loudnessLufs)},
                           {"true_peak_dbtp", OrNull(a.truePeakDbtp)},
                           {"gain_db", OrNull(a.gainDb)}};
    if (!r.stems.empty()) json["stems"] = r.stems;
    return json;
}

}  // namespace

RunReport::~RunReport() { Close(); }

platform::Result RunReport::Open(const std::string& path) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (m_fd < 0) return platform::SystemFailure("can not write the report file " + path);
    return platform::Result::Ok();
}

bool RunReport::Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0 && ::close(m_fd) != 0) m_writeFailed = true;
    m_fd = -1;
    return !m_writeFailed;
}

void RunReport::SetTotal(int total) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_recorded.assign(static_cast<size_t>(total > 0 ? total : 0), false);
}

void RunReport::Add(int position, const FileRecord& r) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (position >= 0 && position < static_cast<int>(m_recorded.size())) {
        m_recorded[static_cast<size_t>(position)] = true;
    }
    if (r.status == kStatusConverted) ++m_converted;
    if (r.status == kStatusSkipped) ++m_skipped;
    if (r.status == kStatusFailed) ++m_failed;
    if (r.status == kStatusCancelled) ++m_cancelled;
    if (r.status == kStatusConverted) m_musicSeconds += r.musicSeconds;
    m_bytes += r.bytes;
    if (m_fd < 0) return;
    WriteLine(Dump(RecordJson(r)));
}

bool RunReport::Recorded(int position) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return position >= 0 && position < static_cast<int>(m_recorded.size()) &&
           m_recorded[static_cast<size_t>(position)];
}

void RunReport::WriteTotals(double wallSeconds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd < 0) return;
    nlohmann::json totals = {{"files", m_recorded.size()}, {"converted", m_converted},
                             {"skipped", m_skipped},       {"failed", m_failed},
                             {"cancelled", m_cancelled},   {"music_seconds", m_musicSeconds},
                             {"wall_seconds", wallSeconds}, {"bytes", m_bytes}};
    WriteLine(Dump({{"totals", totals}}));
}

void RunReport::WriteLine(std::string line) {
    // After a failure nothing more is added: a line written in part can
    // not be finished, and the next line would run on from it.
    if (m_writeFailed) return;
    line += '\n';
    // One write of the whole line: with O_APPEND it lands after whatever
    // another process appended, never inside it.
    ssize_t n;
    do {
        n = ::write(m_fd, line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(line.size())) m_writeFailed = true;
}

}  // namespace tonalbox::cli
