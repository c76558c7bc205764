#pragma once
// Dialog templates in dialog units.
//
// Every window of the program is laid out from a numbered template kept as
// a Designer file under resources/. A template states its controls' places
// in dialog units, which follow the dialog's font: one horizontal unit is a
// quarter of the font's average character width, one vertical unit an
// eighth of its character height. The pixels are worked out at run time
// from the font the form actually gets, so texts fit whatever font the
// desktop supplies.
//
// Conventions for a template file (resources/<name>.ui):
// - Every control is a direct child of the form (group boxes are frames
//   drawn behind their siblings, not containers), so all places are in the
//   form's own coordinates, as in the template tables.
// - A control with a numeric id is named "idc_<id>" (e.g. idc_1018); the
//   id is then reachable from code through ControlId / FindControl, and
//   through the uic member of the same name. Controls without an id get
//   any other name.
// - Each control carries the dynamic string property "dlu" = "x,y,w,h".
//   The form carries "dluSize" = "w,h", its client size in dialog units.
//   The geometry saved in the file is only the Designer preview (computed
//   for a 6 x 13 base); ApplyDialogTemplate replaces it.
// - A drop-down list's "dlu" height is the height of its open list, as in
//   a template; the closed box takes its natural height.
// - Static texts state their alignment; Qt::AlignVCenter stands for the
//   vertically centred single-line style.

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace tonalbox::ui {

// The dialog base units of a font: width = average width of the letters
// A-Z and a-z, rounded; height = the font's character height (ascent +
// descent).
QSize DialogBaseUnits(const QFont& font);

// Dialog units to pixels for the given base units: x * base.width / 4 and
// y * base.height / 8, rounded to the nearest pixel.
int HorzUnitsToPixels(int units, const QSize& baseUnits);
int VertUnitsToPixels(int units, const QSize& baseUnits);
QRect DialogUnitsToPixels(const QRect& dlu, const QSize& baseUnits);
QSize DialogUnitsToPixels(const QSize& dlu, const QSize& baseUnits);

// Parses "x,y,w,h" (a rect) and "w,h" (a size); false on anything else.
bool ParseDialogRect(const QString& text, QRect* rect);
bool ParseDialogSize(const QString& text, QSize* size);

// Places every direct child that has a "dlu" property, and gives the form
// a fixed size when it has a "dluSize" property, using the base units of
// the form's font. Group boxes are put behind the other controls. Returns
// the base units used.
QSize ApplyDialogTemplate(QWidget* form);

// "idc_<id>" for an id.
QString ControlName(int id);
// The numeric id of a control named "idc_<id>", or -1.
int ControlId(const QObject* control);
// The control with that id among the form's descendants, or null.
QWidget* FindControl(const QWidget* form, int id);

template <class T>
T* Control(const QWidget* form, int id) {
    return qobject_cast<T*>(FindControl(form, id));
}

}  // namespace tonalbox::ui
