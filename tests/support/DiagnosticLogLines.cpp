#include "tests/support/DiagnosticLogLines.h"

namespace tonalbox::testsupport {

DiagnosticLogLines::DiagnosticLogLines()
    : m_before(platform::DiagnosticLog::Redirect([this](const std::string& line) { lines.push_back(line); })) {}

DiagnosticLogLines::~DiagnosticLogLines() { platform::DiagnosticLog::Redirect(m_before); }

}  // namespace tonalbox::testsupport
