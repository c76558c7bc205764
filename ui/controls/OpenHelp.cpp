#include "ui/controls/OpenHelp.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "ui/controls/DesktopOpener.h"

namespace tonalbox::controls {

std::string HelpFilePath(const std::string& programFolder) { return programFolder + "help.chm"; }

void OpenHelp(const std::string& programFolder) {
    const QString chm = QString::fromStdString(HelpFilePath(programFolder));
    const QString html = QString::fromStdString(programFolder + "help/index.html");
    auto openPlainCopy = [html] {
        if (QFileInfo::exists(html)) OpenWithDesktop(html);
    };
    if (!QFileInfo::exists(chm)) return openPlainCopy();
    // Not once the application is going: its openers are ended then.
    OpenWithDesktop(chm, QCoreApplication::instance(), [openPlainCopy](int result) {
        if (result <= 32) openPlainCopy();
    });
}

}  // namespace tonalbox::controls
