#pragma once
// The window's command line: file names to add to the file list at start
// (as a file manager's "Open With" passes them), and a few options.

#include <QStringList>

namespace tonalbox::shell {

struct StartupArguments {
    QStringList files;           // in the order given
    QStringList unknownOptions;  // reported, then ignored
    bool help = false;           // -h, --help
    bool version = false;        // -V, --version
};

// Reads the arguments after the program name. "--" ends the options: every
// argument after it is a file name, also one that starts with "-". A lone
// "-" is a file name.
StartupArguments ParseStartupArguments(const QStringList& args);

// The --help text.
QString StartupUsageText(const QString& programName);

}  // namespace tonalbox::shell
