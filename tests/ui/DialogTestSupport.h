#pragma once
// Helpers for the Set Tag and Options dialog tests.

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

#include "tests/controls/QtTestSupport.h"
#include "ui/DialogUnits.h"

namespace tonalbox::dialog_tests {

using tonalbox::testing::ModalAnswerer;
using tonalbox::ui::Control;

inline void EnsureApp() { tonalbox::testing::TestApp(); }

// The widget that gets the focus when Tab is pressed on w, as the window
// walks its focus chain.
inline QWidget* NextTabStop(QWidget* w) {
    QWidget* next = w->nextInFocusChain();
    while (next != w && !((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(w->window()) &&
                          next->isEnabled())) {
        next = next->nextInFocusChain();
    }
    return next;
}

// Every static text, check box and button of a dialog shows its whole text.
inline void ExpectTextsFit(QWidget* dlg) {
    for (QLabel* label : dlg->findChildren<QLabel*>()) {
        if (label->text().isEmpty()) continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
            << label->objectName().toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height() + 1)
            << label->objectName().toStdString();
    }
    for (QAbstractButton* b : dlg->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || !b->isVisibleTo(dlg)) continue;
        EXPECT_LE(b->sizeHint().width(), b->width() + 2) << b->objectName().toStdString();
    }
    for (QWidget* w : dlg->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(dlg->rect().contains(w->geometry())) << w->objectName().toStdString();
    }
}

}  // namespace tonalbox::dialog_tests
