#pragma once
#include <string>

namespace tonalbox {

// Copies the file at from to to, replacing what is there. Returns true
// when every byte was written and the copy closed cleanly.
bool CopyFileReplacing(const std::string& from, const std::string& to);

}  // namespace tonalbox
