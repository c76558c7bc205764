#include "shell/CAppMessageSink.h"

#include "shell/AppMessageBox.h"

namespace tonalbox::shell {

void CAppMessageSink::ShowMessage(const std::string& text) { AppMessageBox(text); }

}  // namespace tonalbox::shell
