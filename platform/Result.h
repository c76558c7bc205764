#pragma once
// The outcome of an operation below the engine's interfaces: a code (0 for
// success) and, on failure, a message saying what went wrong, for the
// diagnostic log. Fail logs the message where the failure happens, so a
// caller that only passes a result on does not log it again.

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "platform/DiagnosticLog.h"

namespace tonalbox::platform {

struct Result {
    int code = 0;
    std::string message;

    bool ok() const { return code == 0; }

    static Result Ok() { return Result{}; }
    static Result Fail(int code, std::string message) {
        DiagnosticLog::Write(message);
        return Result{code, std::move(message)};
    }
};

// The failure of a system call just made: errno as the code, its text
// after `what`.
inline Result SystemFailure(const std::string& what) {
    const int error = errno != 0 ? errno : EIO;
    return Result::Fail(error, what + ": " + std::strerror(error));
}

}  // namespace tonalbox::platform
