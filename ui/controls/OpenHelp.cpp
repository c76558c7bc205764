#include "ui/controls/OpenHelp.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tonalbox::controls {

std::string HelpFilePath(const std::string& programFolder) { return programFolder + "help.chm"; }

void OpenHelp(const std::string& programFolder) {
    const QString chm = QString::fromStdString(HelpFilePath(programFolder));
    if (QFileInfo::exists(chm) && QDesktopServices::openUrl(QUrl::fromLocalFile(chm))) return;
    const QString html = QString::fromStdString(programFolder + "help/index.html");
    if (QFileInfo::exists(html)) QDesktopServices::openUrl(QUrl::fromLocalFile(html));
}

}  // namespace tonalbox::controls
