#include "platform/DiagnosticLog.h"

#include <mutex>

namespace tonalbox::platform {

namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

DiagnosticLog::Sink& CurrentSink() {
    static DiagnosticLog::Sink sink;
    return sink;
}

}  // namespace

void DiagnosticLog::Write(const std::string& line) {
    // Runs of several jobs log from their own threads.
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (CurrentSink()) CurrentSink()(line);
}

DiagnosticLog::Sink DiagnosticLog::Redirect(Sink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    Sink before = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return before;
}

}  // namespace tonalbox::platform
