#include "ui/controls/OpenHelp.h"

#include <QFileInfo>

#include "ui/controls/DesktopOpener.h"

namespace tonalbox::controls {

std::string HelpFilePath(const std::string& programFolder) { return programFolder + "help.chm"; }

void OpenHelp(const std::string& programFolder) {
    const QString chm = QString::fromStdString(HelpFilePath(programFolder));
    if (QFileInfo::exists(chm) && OpenWithDesktop(chm) > 32) return;
    const QString html = QString::fromStdString(programFolder + "help/index.html");
    if (QFileInfo::exists(html)) OpenWithDesktop(html);
}

}  // namespace tonalbox::controls
