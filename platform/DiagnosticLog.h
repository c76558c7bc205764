#pragma once
// Lines about failures for whoever looks into them: where a failure
// happened and why, where the user is told what it means for the file.
// They never reach the terminal on their own; by default they are dropped.

#include <functional>
#include <string>

namespace tonalbox::platform {

class DiagnosticLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    static void Write(const std::string& line);
    // Lines go to `sink` from now on (null: dropped); returns the sink
    // they went to before.
    static Sink Redirect(Sink sink);
};

}  // namespace tonalbox::platform
