#include "engine/Utf8Text.h"

namespace tonalbox {

size_t Utf8SequenceLength(const std::string& text, size_t at) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    if (at >= n) return 0;
    const unsigned char lead = p[at];
    const size_t length = lead < 0x80                                ? 1
                          : (lead >> 5) == 0x6 && lead >= 0xC2       ? 2
                          : (lead >> 4) == 0xE                       ? 3
                          : (lead >> 3) == 0x1E && lead <= 0xF4      ? 4
                                                                     : 0;
    if (length == 0 || at + length > n) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((p[at + k] & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace tonalbox
