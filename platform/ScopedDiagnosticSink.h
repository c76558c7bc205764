#pragma once
// Sends the diagnostic log's lines to a sink for as long as it lives, then
// gives them back to wherever they went before.

#include <utility>

#include "platform/DiagnosticLog.h"

namespace tonalbox::platform {

class ScopedDiagnosticSink {
public:
    explicit ScopedDiagnosticSink(DiagnosticLog::Sink sink) : m_before(DiagnosticLog::Redirect(std::move(sink))) {}
    ~ScopedDiagnosticSink() { DiagnosticLog::Redirect(std::move(m_before)); }
    ScopedDiagnosticSink(const ScopedDiagnosticSink&) = delete;
    ScopedDiagnosticSink& operator=(const ScopedDiagnosticSink&) = delete;

private:
    DiagnosticLog::Sink m_before;
};

}  // namespace tonalbox::platform
