#pragma once
// Runs a program as a child process with standard input from /dev/null and
// its standard output and error captured.

#include <functional>
#include <string>
#include <vector>

namespace tonalbox::testsupport {

struct ProgramResult {
    int exitCode = -1;   // -1 when it did not exit normally
    int signal = 0;      // the signal that ended it, if any
    std::string out;
    std::string err;
};

// env: extra or replaced "NAME=value" entries. onErrText is called with the
// standard error text read so far, each time more arrives, with the child's
// process id (so a test can send it a signal at the right moment).
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {},
                         const std::function<void(const std::string&, int pid)>& onErrText = {});

}  // namespace tonalbox::testsupport
