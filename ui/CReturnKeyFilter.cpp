#include "ui/CReturnKeyFilter.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

namespace tonalbox::ui {

void CReturnKeyFilter::Install(QWidget* form) {
    if (!form) return;
    auto* filter = new CReturnKeyFilter(form);
    for (QPushButton* button : form->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        button->installEventFilter(filter);
}

bool CReturnKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!button || !enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    if (!key->isAutoRepeat() && button->isEnabled()) button->click();
    return true;
}

}  // namespace tonalbox::ui
