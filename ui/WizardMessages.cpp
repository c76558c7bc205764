#include "ui/WizardMessages.h"

namespace tonalbox::ui {

void ReserveWizardMessages() {
    static const bool reserved = [] {
        QEvent::registerEventType(WM_CONVERT_DONE);
        QEvent::registerEventType(WM_INIT_ENGINE);
        return true;
    }();
    (void)reserved;
}

}  // namespace tonalbox::ui
