#pragma once
// Routes the engine's messages to the program's message boxes.

#include "engine/IMessageSink.h"

namespace tonalbox::controls {

class CAppMessageSink : public IMessageSink {
public:
    // Shows the box (from any thread) and returns when it was closed.
    void ShowMessage(const std::string& text) override;
};

}  // namespace tonalbox::controls
