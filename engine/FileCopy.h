#pragma once
#include <string>

#include "platform/Result.h"

namespace tonalbox {

// Writes the contents of the file at from into the file at to, which is
// created or emptied first (the run fills its fresh partial output file
// this way). Succeeds when every byte was written and the file closed
// cleanly.
platform::Result CopyFileContents(const std::string& from, const std::string& to);

}  // namespace tonalbox
