#include "ui/controls/DesktopOpener.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace tonalbox::controls {

namespace {

// xdg-open's exit status for a file or URL that does not exist.
constexpr int kXdgOpenNoSuchFile = 2;

int ResultOf(QProcess::ExitStatus status, int exitCode) {
    if (status != QProcess::NormalExit) return kOpenNoAssociation;
    switch (exitCode) {
        case 0: return kOpenedResult;
        case kXdgOpenNoSuchFile: return kOpenFileNotFound;
        default: return kOpenNoAssociation;
    }
}

}  // namespace

void OpenWithDesktop(const QString& target, QObject* context, OpenDone done, int timeoutMs) {
    // The outcome goes to `done` once, and only while the context lives.
    auto reported = std::make_shared<bool>(false);
    auto report = [reported, guard = QPointer<QObject>(context), hasContext = context != nullptr,
                   done = std::move(done)](int result) {
        if (*reported) return;
        *reported = true;
        if (done && (!hasContext || guard)) done(result);
    };
    if (target.isEmpty()) return report(kOpenFileNotFound);
    QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    QStringList args{target};
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(QStringLiteral("gio"));
        args = QStringList{QStringLiteral("open"), target};
    }
    if (program.isEmpty()) return report(kOpenNoAssociation);

    // Owned by the application: an opener still running when the window
    // goes is left to end on its own.
    auto* opener = new QProcess(QCoreApplication::instance());
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener,
                     [opener, report](int exitCode, QProcess::ExitStatus status) {
                         report(ResultOf(status, exitCode));
                         opener->deleteLater();
                     });
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, report](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart) return;
        report(kOpenNoAssociation);
        opener->deleteLater();
    });
    QTimer::singleShot(timeoutMs, opener, [report] { report(kOpenedResult); });
    opener->start(program, args);
}

}  // namespace tonalbox::controls
