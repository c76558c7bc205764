#pragma once
#include <string>

#include "platform/Result.h"

namespace tonalbox {

// Copies the file at from to to, replacing what is there. Succeeds when
// every byte was written and the copy closed cleanly.
platform::Result CopyFileReplacing(const std::string& from, const std::string& to);

}  // namespace tonalbox
