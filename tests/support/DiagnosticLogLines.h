#pragma once
// The diagnostic log's lines while one of these lives.

#include <string>
#include <vector>

#include "platform/DiagnosticLog.h"

namespace tonalbox::testsupport {

class DiagnosticLogLines {
public:
    DiagnosticLogLines();
    ~DiagnosticLogLines();
    DiagnosticLogLines(const DiagnosticLogLines&) = delete;
    DiagnosticLogLines& operator=(const DiagnosticLogLines&) = delete;

    std::vector<std::string> lines;

private:
    platform::DiagnosticLog::Sink m_before;
};

}  // namespace tonalbox::testsupport
