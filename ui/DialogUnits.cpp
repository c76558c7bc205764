#include "ui/DialogUnits.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QStringList>
#include <QVariant>

#include <algorithm>

namespace tonalbox::ui {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    const long long q = p >= 0 ? (p * 2 + c) / (2LL * c) : -((-p * 2 + c) / (2LL * c));
    return static_cast<int>(q);
}

bool ParseInts(const QString& text, int count, int* out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count) return false;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        out[i] = parts[i].trimmed().toInt(&ok);
        if (!ok) return false;
    }
    return true;
}

}  // namespace

QSize DialogBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    static const QString kLetters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = fm.horizontalAdvance(kLetters);
    // The average of the 52 letters, rounded: (total / 26 + 1) / 2.
    const int cx = std::max(1, (total / 26 + 1) / 2);
    const int cy = std::max(1, fm.height());
    return {cx, cy};
}

int HorzUnitsToPixels(int units, const QSize& baseUnits) {
    return MulDiv(units, baseUnits.width(), 4);
}

int VertUnitsToPixels(int units, const QSize& baseUnits) {
    return MulDiv(units, baseUnits.height(), 8);
}

QRect DialogUnitsToPixels(const QRect& dlu, const QSize& baseUnits) {
    // Convert both corners, so that neighbouring controls share edges
    // exactly as their unit coordinates do.
    const int left = HorzUnitsToPixels(dlu.x(), baseUnits);
    const int top = VertUnitsToPixels(dlu.y(), baseUnits);
    const int right = HorzUnitsToPixels(dlu.x() + dlu.width(), baseUnits);
    const int bottom = VertUnitsToPixels(dlu.y() + dlu.height(), baseUnits);
    return {left, top, right - left, bottom - top};
}

QSize DialogUnitsToPixels(const QSize& dlu, const QSize& baseUnits) {
    return {HorzUnitsToPixels(dlu.width(), baseUnits), VertUnitsToPixels(dlu.height(), baseUnits)};
}

bool ParseDialogRect(const QString& text, QRect* rect) {
    int v[4];
    if (!ParseInts(text, 4, v) || v[2] < 0 || v[3] < 0) return false;
    if (rect) *rect = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

bool ParseDialogSize(const QString& text, QSize* size) {
    int v[2];
    if (!ParseInts(text, 2, v) || v[0] < 0 || v[1] < 0) return false;
    if (size) *size = QSize(v[0], v[1]);
    return true;
}

QSize ApplyDialogTemplate(QWidget* form) {
    if (!form) return {};
    // Style sheets give their fonts when a widget is polished.
    form->ensurePolished();
    const QSize base = DialogBaseUnits(form->font());

    QSize formSize;
    if (ParseDialogSize(form->property("dluSize").toString(), &formSize)) {
        form->setFixedSize(DialogUnitsToPixels(formSize, base));
    }

    const auto children = form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        QRect dlu;
        if (!ParseDialogRect(child->property("dlu").toString(), &dlu)) continue;
        QRect px = DialogUnitsToPixels(dlu, base);
        if (auto* combo = qobject_cast<QComboBox*>(child)) {
            // The template height is that of the open list; the closed box
            // has the height its font needs.
            px.setHeight(combo->sizeHint().height());
        }
        child->setGeometry(px);
    }
    // Frames behind everything else, so that they never take a click meant
    // for a control inside them.
    for (QWidget* child : children) {
        if (qobject_cast<QGroupBox*>(child) && child->property("dlu").isValid()) child->lower();
    }
    return base;
}

QString ControlName(int id) { return QStringLiteral("idc_%1").arg(id); }

int ControlId(const QObject* control) {
    if (!control) return -1;
    const QString name = control->objectName();
    if (!name.startsWith(QLatin1String("idc_"))) return -1;
    bool ok = false;
    const int id = name.mid(4).toInt(&ok);
    return ok && id >= 0 ? id : -1;
}

QWidget* FindControl(const QWidget* form, int id) {
    if (!form) return nullptr;
    return form->findChild<QWidget*>(ControlName(id));
}

}  // namespace tonalbox::ui
