#pragma once
// Ctrl-C (SIGINT) and SIGTERM as the Cancel button: the first one sets the
// cancel flag the runs poll; a second one ends the process the usual way.

#include <atomic>

namespace tonalbox::cli {

class InterruptHandler {
public:
    explicit InterruptHandler(std::atomic<int>& cancelFlag);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;
};

}  // namespace tonalbox::cli
