#pragma once
// Opens a web address, a mail address or a file with the desktop's opener
// (xdg-open, or `gio open` where the desktop has only that). The opener is
// started directly with the target as its one argument, never through a
// shell, and its exit status decides: a non-zero exit is a failure. The
// caller never waits for it: the outcome is handed over when it is known.

#include <QObject>
#include <QString>

#include <functional>

namespace tonalbox::controls {

// How long an opener may take to report; one still running then is taken
// as busy showing the target (a browser started in the foreground).
inline constexpr int kOpenerTimeoutMs = 10000;

// Result codes in the link's terms: above 32 is success.
inline constexpr int kOpenedResult = 33;
inline constexpr int kOpenFileNotFound = 2;    // the opener found no such file
inline constexpr int kOpenNoAssociation = 31;  // no opener, or it could not open it

// Receives one of the codes above, on the user interface thread.
using OpenDone = std::function<void(int result)>;

// Starts opening `target` (a URL with its scheme, or a local path) and
// returns at once. `done`, when given, is called once with the outcome:
// when the opener exits or fails to start, or kOpenedResult when it is
// still running after timeoutMs; never once `context` is gone. An opener
// that cannot be started at all is reported before this returns.
void OpenWithDesktop(const QString& target, QObject* context = nullptr, OpenDone done = {},
                     int timeoutMs = kOpenerTimeoutMs);

}  // namespace tonalbox::controls
