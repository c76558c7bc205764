#pragma once
#include <string>

namespace tonalbox {

// Writes the contents of the file at from into the file at to, which is
// created or emptied first (the run fills its fresh partial output file
// this way). Returns true when every byte was written and the file closed
// cleanly.
bool CopyFileContents(const std::string& from, const std::string& to);

}  // namespace tonalbox
