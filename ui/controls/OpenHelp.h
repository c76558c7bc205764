#pragma once
// The Help button: opens "help.chm" in the program's folder with the
// desktop's opener. Nothing is reported when it cannot be opened.

#include <string>

namespace tonalbox::controls {

// The help file's path: the program folder (ending with a separator)
// followed by "help.chm".
std::string HelpFilePath(const std::string& programFolder);

// Starts opening the help file and returns at once. When the desktop's
// opener fails on it, the plain HTML copy of the guide (help/index.html
// beside it) is tried; the outcome is not reported either way.
void OpenHelp(const std::string& programFolder);

}  // namespace tonalbox::controls
