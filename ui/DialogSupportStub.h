#pragma once
// Stand-ins until the window's dialog helpers land.
#include <QString>
class QWidget;
namespace tonalbox::ui {
void PlaceControls(QWidget* dialog);
void ShowAppMessage(QWidget* parent, const QString& text);
}
