#include "shell/StartupArguments.h"

namespace tonalbox::shell {

StartupArguments ParseStartupArguments(const QStringList& args) {
    StartupArguments parsed;
    bool options = true;
    for (const QString& arg : args) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            if (arg == QLatin1String("-h") || arg == QLatin1String("--help"))
                parsed.help = true;
            else if (arg == QLatin1String("-V") || arg == QLatin1String("--version"))
                parsed.version = true;
            else
                parsed.unknownOptions << arg;
        } else {
            parsed.files << arg;
        }
    }
    return parsed;
}

QString StartupUsageText(const QString& programName) {
    return QStringLiteral(
               "Usage: %1 [OPTIONS] [FILE...]\n"
               "Opens the wizard window; the MIDI files given are on its file list.\n"
               "\n"
               "  -h, --help     this text\n"
               "  -V, --version  the program's version\n")
        .arg(programName);
}

}  // namespace tonalbox::shell
