#include "ui/controls/DesktopOpener.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace tonalbox::controls {

namespace {

// xdg-open's exit status for a file or URL that does not exist.
constexpr int kXdgOpenNoSuchFile = 2;

}  // namespace

int OpenWithDesktop(const QString& target, int timeoutMs) {
    if (target.isEmpty()) return kOpenFileNotFound;
    QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    QStringList args{target};
    if (program.isEmpty()) {
        program = QStandardPaths::findExecutable(QStringLiteral("gio"));
        args = QStringList{QStringLiteral("open"), target};
    }
    if (program.isEmpty()) return kOpenNoAssociation;

    // Owned by the application: an opener still running when the time is
    // up is left to end on its own.
    auto* opener = new QProcess(QCoreApplication::instance());
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) opener->deleteLater();
    });
    opener->start(program, args);
    if (!opener->waitForStarted(timeoutMs)) return kOpenNoAssociation;
    if (!opener->waitForFinished(timeoutMs)) return kOpenedResult;
    if (opener->exitStatus() != QProcess::NormalExit) return kOpenNoAssociation;
    switch (opener->exitCode()) {
        case 0: return kOpenedResult;
        case kXdgOpenNoSuchFile: return kOpenFileNotFound;
        default: return kOpenNoAssociation;
    }
}

}  // namespace tonalbox::controls
