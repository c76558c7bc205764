#include "ui/controls/CHyperlinkLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QPen>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimerEvent>
#include <QToolTip>
#include <QUrl>

#include "ui/controls/AppMessageBox.h"
#include "ui/controls/DesktopOpener.h"

namespace tonalbox {

namespace {

constexpr int kHoverPollMs = 100;
constexpr int kShowCommand = 5;  // "show the window", handed on to the opener

// Shell-style results.
constexpr int kOpened = controls::kOpenedResult;  // anything above 32 is success
constexpr int kFileNotFound = 2;                  // SE_ERR_FNF
constexpr int kPathNotFound = 3;                  // SE_ERR_PNF

QString ToQt(const std::string& s) { return QString::fromStdString(s); }

// The value of `key` in group `group` of a desktop-style key file, or a
// null string.
QString ReadKeyFileValue(const QString& path, const QString& group, const QString& key) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    QTextStream in(&file);
    bool inGroup = false;
    const QString header = QLatin1Char('[') + group + QLatin1Char(']');
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == header;
            continue;
        }
        if (!inGroup || line.startsWith(QLatin1Char('#'))) continue;
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        if (line.left(eq).trimmed() == key) return line.mid(eq + 1).trimmed();
    }
    return {};
}

// The desktop entry file of the default application for a MIME type,
// looked up in the mimeapps.list files of the configuration and data
// folders, most specific first. Empty when there is none.
QString DefaultDesktopEntryFor(const QString& mimeType) {
    QStringList lists;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        lists << dir + QStringLiteral("/mimeapps.list") << dir + QStringLiteral("/defaults.list");
    }
    for (const QString& list : lists) {
        const QString value =
            ReadKeyFileValue(list, QStringLiteral("Default Applications"), mimeType);
        for (const QString& id : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString entry =
                QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id.trimmed());
            if (!entry.isEmpty()) return entry;
        }
    }
    return {};
}

bool HasScheme(const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return false;
    const QUrl url(target);
    // One-letter schemes would be drive letters elsewhere; a path has none.
    return url.isValid() && url.scheme().size() > 1;
}

// Starts opening the target with the desktop's opener; its exit status,
// handed to `done`, decides.
void ShellOpen(const std::string& target, QObject* context, controls::OpenDone done) {
    const QString t = ToQt(target);
    if (t.isEmpty()) return done(kFileNotFound);
    if (HasScheme(t))
        return controls::OpenWithDesktop(QUrl(t).toString(QUrl::FullyEncoded), context, std::move(done));
    const QFileInfo info(t);
    if (!info.exists()) return done(info.dir().exists() ? kFileNotFound : kPathNotFound);
    controls::OpenWithDesktop(info.absoluteFilePath(), context, std::move(done));
}

// The fallback when the opener failed with `failure`: the desktop's
// default web browser, started directly with the target as its one extra
// argument. Returns the open's result.
int OpenInBrowser(const std::string& target, int failure) {
    const QString entry = DefaultDesktopEntryFor(QStringLiteral("text/html"));
    if (entry.isEmpty()) return failure;
    const QString exec = ReadKeyFileValue(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
    if (exec.isEmpty()) return failure;
    const QStringList command = CHyperlinkLabel::BrowserCommand(exec, target);
    if (command.isEmpty()) return failure;
    return QProcess::startDetached(command.front(), command.mid(1)) ? kOpened : kFileNotFound;
}

}  // namespace

CHyperlinkLabel::CHyperlinkLabel(QWidget* parent) : QLabel(parent) {}

CHyperlinkLabel::~CHyperlinkLabel() { StopHoverTimer(); }

void CHyperlinkLabel::Attach() {
    if (m_bAttached) return;
    // Clicks and moves are reported to the control; Tab reaches it, and
    // Enter or Space opens it.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (m_strTarget.empty()) m_strTarget = text().toStdString();
    if (text().isEmpty()) setText(ToQt(m_strTarget));

    m_fontPlain = font();
    m_fontUnderlined = font();
    m_fontUnderlined.setUnderline(true);

    m_bAttached = true;
    FitToText();
    LoadLinkCursor();
    SetUnderlineMode(-1);

    // One tool over the client area as it is now; the area is not moved
    // when the control is fitted to a new text later.
    m_rectTool = rect();
    m_strToolText = ToQt(m_strTarget);
}

void CHyperlinkLabel::SetLinkTarget(const std::string& target) {
    m_strTarget = target;
    if (!m_bAttached) return;
    FitToText();
    // The tip names the whole target over the whole link, also when the
    // link shows it shortened.
    m_rectTool = rect();
    m_strToolText = ToQt(m_strTarget);
}

QString CHyperlinkLabel::ShownText() const {
    const int m = margin();
    const int room = contentsRect().adjusted(m, m, -m, -m).width();
    const QFontMetrics fm(font());
    // elidedText also shortens a text exactly as wide as the room.
    if (fm.horizontalAdvance(text()) <= room) return text();
    return fm.elidedText(text(), Qt::ElideMiddle, room);
}

void CHyperlinkLabel::MarkVisited(bool visited) {
    m_bVisited = visited;
    if (m_bAttached) update();
}

void CHyperlinkLabel::SetUnderlineMode(int mode) {
    if (mode == m_nUnderlineMode) return;
    if (m_bAttached) {
        setFont(mode == 1 ? m_fontUnderlined : m_fontPlain);
        update();
    }
    m_nUnderlineMode = mode;
}

QColor CHyperlinkLabel::TextColour() const {
    if (m_bHover) return m_colorHover;
    if (m_bVisited) return m_colorVisited;
    return m_colorLink;
}

void CHyperlinkLabel::FitToText() {
    if (!m_bAttached || !m_bFitToText) return;
    QRect w = geometry();
    const QRect c = contentsRect();
    const int m = margin();
    const int borderX = c.left() + (width() - (c.left() + c.width())) + 2 * m;
    const int borderY = c.top() + (height() - (c.top() + c.height())) + 2 * m;

    // The underlined font measures in every mode.
    const QFontMetrics fm(m_fontUnderlined);
    const int cx = fm.horizontalAdvance(text());
    const int cy = fm.height();
    int width = cx + borderX;
    const int height = cy + borderY;
    // A text wider than the room it may take is shortened in the middle.
    if (m_nMaxWidth > 0 && width > m_nMaxWidth) width = m_nMaxWidth;

    const Qt::Alignment align = alignment();
    if (align & Qt::AlignVCenter) {
        const int d = (w.height() - height) / 2;
        w.adjust(0, d, 0, -d);
    } else {
        w.setHeight(height);
    }
    if (align & Qt::AlignHCenter) {
        const int d = (w.width() - width) / 2;
        w.adjust(d, 0, -d, 0);
    } else if (align & Qt::AlignRight) {
        w.setLeft(w.left() + w.width() - width);
    } else {
        w.setWidth(width);
    }
    setGeometry(w);
}

void CHyperlinkLabel::LoadLinkCursor() {
    if (m_hLinkCursor) return;
    m_hLinkCursor = QCursor(Qt::PointingHandCursor);
    setCursor(*m_hLinkCursor);
}

void CHyperlinkLabel::StopHoverTimer() {
    if (m_nHoverTimerId != 0) killTimer(m_nHoverTimerId);
    m_nHoverTimerId = 0;
}

bool CHyperlinkLabel::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(e);
        if (m_bAttached && m_rectTool.contains(help->pos()) && !m_strToolText.isEmpty()) {
            QToolTip::showText(help->globalPos(), m_strToolText, this, m_rectTool);
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QLabel::event(e);
}

void CHyperlinkLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Transparent: whatever the dialog paints behind the link (the skin's
    // gradient) shows through.
    drawFrame(&p);
    p.setPen(TextColour());
    p.setFont(font());
    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m, -m);
    int flags = static_cast<int>(alignment());
    if (wordWrap()) flags |= Qt::TextWordWrap;
    p.drawText(area, flags, wordWrap() ? text() : ShownText());
    if (hasFocus()) {
        // A dotted frame in the text's colour, as dialogs mark the focus.
        p.setPen(QPen(TextColour(), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CHyperlinkLabel::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (m_bAttached && !e->isAutoRepeat() &&
        (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        e->accept();
        OnClicked();
        return;
    }
    QLabel::keyPressEvent(e);
}

void CHyperlinkLabel::mouseMoveEvent(QMouseEvent* e) {
    if (m_bAttached && !m_bHover) {
        m_bHover = true;
        if (m_nUnderlineMode == -1) setFont(m_fontUnderlined);
        update();
        if (m_nHoverTimerId == 0) m_nHoverTimerId = startTimer(kHoverPollMs);
    }
    QLabel::mouseMoveEvent(e);
}

void CHyperlinkLabel::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_nHoverTimerId) {
        const QPoint pos = mapFromGlobal(QCursor::pos());
        if (!rect().contains(pos)) {
            m_bHover = false;
            StopHoverTimer();
            if (m_nUnderlineMode != 1) setFont(m_fontPlain);
            update();
        }
        return;
    }
    QLabel::timerEvent(e);
}

void CHyperlinkLabel::mousePressEvent(QMouseEvent* e) {
    m_bPressed = e->button() == Qt::LeftButton;
    QLabel::mousePressEvent(e);
}

void CHyperlinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = m_bPressed && e->button() == Qt::LeftButton &&
                       rect().contains(e->position().toPoint());
    m_bPressed = false;
    QLabel::mouseReleaseEvent(e);
    if (click && m_bAttached) OnClicked();
}

void CHyperlinkLabel::OnClicked() {
    // The timer keeps running and stops itself once the pointer has left.
    m_bHover = false;
    update();
    OpenTarget(m_strTarget, kShowCommand);
}

void CHyperlinkLabel::OpenFinished(int result) {
    m_bVisited = result > 32;
    if (m_bVisited) {
        MarkVisited(true);
    } else {
        update();
        ShowOpenError(result);
    }
}

void CHyperlinkLabel::OpenTarget(const std::string& target, int /*showCommand*/) {
    ShellOpen(target, this, [this, target](int result) {
        OpenFinished(result > 32 ? result : OpenInBrowser(target, result));
    });
}

void CHyperlinkLabel::ShowOpenError(int code) {
    QApplication::beep();
    controls::AppMessageBox("Unable to open hyperlink:\n\n" + OpenErrorText(code), window());
}

std::string CHyperlinkLabel::OpenErrorText(int code) {
    switch (code) {
        case 0: return "The operating system is out\nof memory or resources.";
        case 2: return "The specified file was not found.";
        case 3: return "The specified path was not found.";
        case 5: return "The operating system denied\naccess to the specified file.";
        case 8: return "There was not enough memory to complete the operation.";
        case 11: return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
        case 26: return "A sharing violation occurred. ";
        case 27: return "The filename association is\nincomplete or invalid.";
        case 28: return "The DDE transaction could not\nbe completed because the request timed out.";
        case 29: return "The DDE transaction failed.";
        case 30:
            return "The DDE transaction could not\nbe completed because other DDE transactions\n"
                   "were being processed.";
        case 31: return "There is no application associated\nwith the given filename extension.";
        case 32: return "The specified dynamic-link library was not found.";
        default: return "Unknown Error (" + std::to_string(code) + ") occurred.";
    }
}

QStringList CHyperlinkLabel::BrowserCommand(const QString& execLine, const std::string& target) {
    // Split by the desktop entry rules: blanks separate arguments; inside
    // double quotes a backslash takes the next character literally.
    QStringList args;
    QString current;
    bool inQuotes = false;
    bool have = false;
    for (int i = 0; i < execLine.size(); ++i) {
        const QChar ch = execLine[i];
        if (inQuotes) {
            if (ch == QLatin1Char('\\') && i + 1 < execLine.size()) {
                current += execLine[++i];
            } else if (ch == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current += ch;
            }
        } else if (ch == QLatin1Char('"')) {
            inQuotes = true;
            have = true;
        } else if (ch.isSpace()) {
            if (have) args << current;
            current.clear();
            have = false;
        } else {
            current += ch;
            have = true;
        }
    }
    if (have) args << current;

    QStringList command;
    for (const QString& arg : args) {
        // The placeholder for the URL or file: it and what follows go.
        if (arg.contains(QLatin1String("%u")) || arg.contains(QLatin1String("%U")) ||
            arg.contains(QLatin1String("%f")) || arg.contains(QLatin1String("%F"))) {
            break;
        }
        // Icon, name and entry-location codes stand for nothing here.
        if (arg == QLatin1String("%i") || arg == QLatin1String("%c") || arg == QLatin1String("%k"))
            continue;
        QString a = arg;
        a.replace(QLatin1String("%%"), QLatin1String("%"));
        command << a;
    }
    if (command.isEmpty()) return {};
    command << ToQt(target);
    return command;
}

}  // namespace tonalbox
