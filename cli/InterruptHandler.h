#pragma once
// Ctrl-C (SIGINT) and SIGTERM as the Cancel button: the first one sets the
// cancel flag the runs poll; a second one ends the process the usual way.

#include <pthread.h>

#include <atomic>

namespace tonalbox::cli {

class InterruptHandler {
public:
    explicit InterruptHandler(std::atomic<int>& cancelFlag);
    ~InterruptHandler();
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

    // Interrupts a wait of thread in a system call (the answer to a
    // question, a file that blocks when opened), so that it gets to see
    // the cancel flag: the signal only reaches one thread of the process.
    // Does nothing while no InterruptHandler exists.
    static void Wake(pthread_t thread);
};

}  // namespace tonalbox::cli
