#pragma once
// An up-down control: a pair of arrow buttons that steps an integer within
// a range and writes it into a buddy edit as a decimal number. The arrow
// keys pressed in the buddy step it too.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace tonalbox::ui {

class CUpDownCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CUpDownCtrl(QWidget* parent = nullptr);

    // The edit whose number the control steps; nullptr detaches it.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return m_pBuddy; }

    void SetRange(int lower, int upper);
    int Lower() const { return m_nLower; }
    int Upper() const { return m_nUpper; }

    // Sets the position, held within the range, and writes it into the
    // buddy.
    void SetPos(int pos);
    int Pos() const { return m_nPos; }

    // One step up (+1) or down (-1) from the buddy's number; when the buddy
    // holds no number, from the last position.
    void Step(int delta);

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WriteBuddy();

    QLineEdit* m_pBuddy = nullptr;
    QToolButton* m_pUp = nullptr;
    QToolButton* m_pDown = nullptr;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nPos = 0;
};

}  // namespace tonalbox::ui
