#pragma once
// A static text of a dialog template turned into a link: link colours, an
// underline while the pointer is over it, the pointing-hand cursor, a
// tooltip naming the target, and a click that asks the desktop to open the
// target (a web address, a "mailto:" address or a folder).
//
// Templates name the label's class CHyperlinkLabel (a promoted QLabel), so
// uic creates it in its place; the owner calls Attach() once while it
// initialises, then, to change the shown text, setText() followed by
// SetLinkTarget().

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QStringList>

#include <optional>
#include <string>

namespace tonalbox {

class CHyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit CHyperlinkLabel(QWidget* parent = nullptr);
    ~CHyperlinkLabel() override;

    // Binds the control to its template place: an empty target takes the
    // text, an empty text the target; makes the plain and underlined fonts,
    // fits the control to its text, loads the cursor and sets up the
    // tooltip over the control's area as it is now.
    void Attach();

    // Stores the target; once attached, fits to the text and gives the
    // tooltip the target as its text.
    void SetLinkTarget(const std::string& target);
    void MarkVisited(bool visited);
    // 1: always underlined; -1: underlined while hovered; else never.
    void SetUnderlineMode(int mode);
    void SetFitToText(bool fit) { m_bFitToText = fit; }
    // The widest the control fits itself to (0: no limit); a longer text
    // is shown shortened in the middle.
    void SetMaxWidth(int width) { m_nMaxWidth = width; }
    int MaxWidth() const { return m_nMaxWidth; }
    // The text as drawn: the window text, shortened in the middle to fit.
    QString ShownText() const;

    const std::string& LinkTarget() const { return m_strTarget; }
    bool IsAttached() const { return m_bAttached; }
    bool IsHover() const { return m_bHover; }
    bool IsVisited() const { return m_bVisited; }
    // The colour the text is drawn in for the current state.
    QColor TextColour() const;
    // The area over which the tooltip shows (fixed when attached).
    QRect ToolRect() const { return m_rectTool; }
    QString ToolText() const { return m_strToolText; }
    bool HoverTimerRunning() const { return m_nHoverTimerId != 0; }

    // "Unable to open hyperlink:\n\n" is followed by this text for a code.
    static std::string OpenErrorText(int code);
    // The command that starts a browser from a desktop entry's Exec line:
    // the line is split into arguments by the entry rules, cut at the first
    // argument holding the URL/file placeholder (that and everything after
    // it are dropped), and the target is appended as one argument.
    static QStringList BrowserCommand(const QString& execLine, const std::string& target);

protected:
    // Asks the desktop's opener to open the target and returns at once;
    // its exit status, when it comes, decides. When it fails, the default
    // web browser is started with the target. The outcome goes to
    // OpenFinished() as a shell-style result, greater than 32 on success,
    // else an error code of the table.
    virtual void OpenTarget(const std::string& target, int showCommand);
    // Marks the link visited, or beeps and shows the error box.
    void OpenFinished(int result);
    // Beeps and shows the error box for a failed open.
    virtual void ShowOpenError(int code);

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    void FitToText();
    void LoadLinkCursor();
    void OnClicked();
    void StopHoverTimer();

    QColor m_colorLink{0, 0, 238};
    QColor m_colorVisited{85, 26, 139};
    QColor m_colorHover{255, 0, 0};
    bool m_bHover = false;
    bool m_bVisited = false;
    int m_nUnderlineMode = -1;
    bool m_bFitToText = true;
    int m_nMaxWidth = 0;
    std::string m_strTarget;
    QFont m_fontUnderlined;
    QFont m_fontPlain;
    std::optional<QCursor> m_hLinkCursor;
    QRect m_rectTool;
    QString m_strToolText;
    int m_nHoverTimerId = 0;  // the running hover timer, 0 when stopped
    bool m_bAttached = false;
    bool m_bPressed = false;
};

}  // namespace tonalbox
