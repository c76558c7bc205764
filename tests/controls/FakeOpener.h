#pragma once
// A stand-in for the desktop's opener: an `xdg-open` script first on PATH
// that records each target it is given and exits with a chosen status
// (non-zero for targets containing `failOn`, when given). A held opener
// exits only once the test has called Release().

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tonalbox::testing {

class FakeOpener {
public:
    explicit FakeOpener(int exitCode = 0, const QString& failOn = {}, int failCode = 4,
                        bool held = false)
        : m_oldPath(qgetenv("PATH")) {
        const QString log = m_dir.filePath(QStringLiteral("opened.log"));
        QString script = QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '") + log +
                         QStringLiteral("'\n");
        if (held) {
            script += QStringLiteral("while [ ! -e '") + ReleaseFile() +
                      QStringLiteral("' ]; do sleep 0.05; done\n");
        }
        if (!failOn.isEmpty()) {
            script += QStringLiteral("case \"$1\" in *'") + failOn +
                      QStringLiteral("'*) exit ") + QString::number(failCode) +
                      QStringLiteral(";; esac\n");
        }
        script += QStringLiteral("exit ") + QString::number(exitCode) + QStringLiteral("\n");
        QFile f(m_dir.filePath(QStringLiteral("xdg-open")));
        if (f.open(QIODevice::WriteOnly)) f.write(script.toUtf8());
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", m_dir.path().toUtf8() + ":" + m_oldPath);
    }
    ~FakeOpener() { qputenv("PATH", m_oldPath); }
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    void Release() const {
        QFile f(ReleaseFile());
        if (f.open(QIODevice::WriteOnly)) f.close();
    }

    // The targets the opener was started with, in order.
    QStringList Opened() const {
        QFile f(m_dir.filePath(QStringLiteral("opened.log")));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QString ReleaseFile() const { return m_dir.filePath(QStringLiteral("release")); }

    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

}  // namespace tonalbox::testing
