#pragma once
#include <string>

namespace tonalbox {

// Where the engine's message boxes go: the window shows a modal box with
// the exclamation icon and the application title; the command-line
// converter prints a line. The caller waits until the message was shown.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace tonalbox
