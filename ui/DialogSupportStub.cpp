#include "ui/DialogSupportStub.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QMessageBox>

namespace tonalbox::ui {

void PlaceControls(QWidget* dialog) {
    QFontMetrics fm(dialog->font());
    const int bx = (fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 26 + 1) / 2;
    const int by = fm.height();
    auto px = [&](const QRect& r) {
        return QRect(r.x() * bx / 4, r.y() * by / 8, r.width() * bx / 4, r.height() * by / 8);
    };
    for (QWidget* w : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        QRect r = px(w->geometry());
        if (qobject_cast<QComboBox*>(w)) r.setHeight(w->sizeHint().height());
        w->setGeometry(r);
    }
    const QSize s = dialog->size();
    dialog->setFixedSize(s.width() * bx / 4, s.height() * by / 8);
}

void ShowAppMessage(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text);
}

}  // namespace tonalbox::ui
