#pragma once
// The compiled-in resources (icons by number).

#include <QIcon>

namespace tonalbox::ui {

// Registers the icons of resources/tonalbox.qrc; safe to call often.
void InitResources();

// Icon resource by number: 128 the program, 146 play, 147 stop. A null
// icon for an unknown number.
QIcon LoadIconResource(int id);

}  // namespace tonalbox::ui
