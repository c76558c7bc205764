#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "cli/ConvertCommand.h"
#include "cli/InterruptHandler.h"

int main(int argc, char** argv) {
    using namespace tonalbox::cli;
    ConsoleIo io;
    io.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    io.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
    struct winsize size {};
    if (io.errIsTerminal && ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        io.width = size.ws_col;

    std::atomic<int> cancelFlag{0};
    InterruptHandler interrupts(cancelFlag);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunConvertCommand(args, "tonalbox-convert", io, cancelFlag);
}
