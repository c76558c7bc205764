#pragma once
// Our texts are UTF-8; what a tag format wants is converted from them.
// Text that is not well-formed UTF-8 is taken byte by byte as ISO-8859-1,
// which is what older settings and command lines hold.

#include <cstddef>
#include <string>

namespace tonalbox {

// The length (1 to 4) of the well-formed UTF-8 sequence that starts at
// `at` in `text`; 0 when none starts there (overlong forms, surrogates and
// code points past U+10FFFF are not well-formed).
size_t Utf8SequenceLength(const std::string& text, size_t at);

}  // namespace tonalbox
