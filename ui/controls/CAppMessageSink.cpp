#include "ui/controls/CAppMessageSink.h"

#include "ui/controls/AppMessageBox.h"

namespace tonalbox::controls {

void CAppMessageSink::ShowMessage(const std::string& text) { AppMessageBox(text); }

}  // namespace tonalbox::controls
