#pragma once
// Return or Enter on a focused push button presses it, as in Windows
// dialogs, which the program's windows follow. Qt does so only for "auto
// default" buttons, which the templates turn off: such a button would stay
// the dialog's default after it lost the focus, and Return in a list would
// press it.

#include <QObject>

class QWidget;

namespace tonalbox::ui {

class CReturnKeyFilter : public QObject {
    Q_OBJECT

public:
    // Watches the push buttons among the form's direct children; the
    // filter belongs to the form.
    static void Install(QWidget* form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CReturnKeyFilter(QObject* owner) : QObject(owner) {}
};

}  // namespace tonalbox::ui
