#include <gtest/gtest.h>

#include "engine/SndFileEncoder.h"

namespace tonalbox {
namespace {

TEST(SndFileEncoder, CommentTextsAreUtf8WithStrayBytesTakenAsLatin1) {
    struct Case {
        std::string text;
        std::string comment;
    };
    const std::vector<Case> cases = {
        {"Plain", "Plain"},
        {"Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5", "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"},  // kept
        {"Caf\xe9", "Caf\xc3\xa9"},            // ISO-8859-1 e-acute
        {"\xc3", "\xc3\x83"},                   // a sequence cut off
        {"\xf5\x80\x80\x80", "\xc3\xb5\xc2\x80\xc2\x80\xc2\x80"},  // past U+10FFFF
        {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xc2\x80"},                // a surrogate is no character
        {"\xe0\x80\xaf", "\xc3\xa0\xc2\x80\xc2\xaf"},                // nor an overlong '/'
    };
    for (const auto& c : cases) EXPECT_EQ(SndFileEncoder::CommentText(c.text), c.comment) << c.text;
}

}  // namespace
}  // namespace tonalbox
