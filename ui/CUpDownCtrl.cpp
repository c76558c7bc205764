#include "ui/CUpDownCtrl.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/DialogDataExchange.h"

namespace tonalbox::ui {

CUpDownCtrl::CUpDownCtrl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto makeButton = [this, layout](Qt::ArrowType arrow, int delta, const char* name) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setArrowType(arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        b->setMinimumSize(1, 1);
        b->setIconSize(QSize(6, 6));
        connect(b, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(b);
        return b;
    };
    m_pUp = makeButton(Qt::UpArrow, +1, "up");
    m_pDown = makeButton(Qt::DownArrow, -1, "down");
    setFocusPolicy(Qt::NoFocus);
}

void CUpDownCtrl::SetBuddy(QLineEdit* buddy) {
    if (m_pBuddy != nullptr) m_pBuddy->removeEventFilter(this);
    m_pBuddy = buddy;
    if (m_pBuddy != nullptr) m_pBuddy->installEventFilter(this);
}

void CUpDownCtrl::SetRange(int lower, int upper) {
    m_nLower = std::min(lower, upper);
    m_nUpper = std::max(lower, upper);
}

void CUpDownCtrl::SetPos(int pos) {
    m_nPos = std::clamp(pos, m_nLower, m_nUpper);
    WriteBuddy();
}

void CUpDownCtrl::Step(int delta) {
    if (m_pBuddy != nullptr) {
        if (auto n = ParseDialogInteger(m_pBuddy->text())) m_nPos = std::clamp(*n, m_nLower, m_nUpper);
    }
    SetPos(m_nPos + delta);
}

void CUpDownCtrl::WriteBuddy() {
    if (m_pBuddy != nullptr) m_pBuddy->setText(QString::number(m_nPos));
}

QSize CUpDownCtrl::sizeHint() const { return QSize(16, 22); }

bool CUpDownCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pBuddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tonalbox::ui
