#pragma once
// The program's message boxes: modal, an OK button, the exclamation icon
// and the application title as caption. Callable from any thread: a worker
// waits until the user interface thread has shown the box and the user has
// closed it.

#include <string>

class QWidget;

namespace tonalbox::controls {

// The application title: the program file's base name (folder and
// extension removed), e.g. "tonalbox".
std::string AppTitle();

// Shows `text` and returns when the box is closed. `owner` (optional, only
// from the user interface thread) becomes the box's parent; otherwise the
// active window is.
void AppMessageBox(const std::string& text, QWidget* owner = nullptr);

// A Yes/No question with the question icon and no caption of the
// program's own. Returns true for Yes. Callable from any thread.
bool AskYesNoBox(const std::string& text);

}  // namespace tonalbox::controls
