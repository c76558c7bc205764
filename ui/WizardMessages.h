#pragma once
// The program's own window messages, carried as Qt events with their
// numbers.

#include <QEvent>

namespace tonalbox::ui {

// The run has ended: sent (the worker waits until it was handled) to the
// main window once at the end of every run.
inline constexpr QEvent::Type WM_CONVERT_DONE = static_cast<QEvent::Type>(2257);
// The "please wait" notice asks the output page to start its engine;
// posted 100 ms after the notice opened.
inline constexpr QEvent::Type WM_INIT_ENGINE = static_cast<QEvent::Type>(1067);

// Reserves both numbers in Qt's event type registry, so that no other
// part of the process is handed them; safe to call more than once.
void ReserveWizardMessages();

}  // namespace tonalbox::ui
