#pragma once
#include <string>

#include "engine/TagRecord.h"

namespace tonalbox {

// Writes the 128-byte ID3v1.1 block at the end of a finished MP3 file,
// replacing the block the file already ends with.
class CId3Writer {
public:
    static constexpr int kTagSize = 128;

    // Returns 1 when the block was written, 0 when the file cannot be
    // opened or the write fails. An empty artist becomes the output file's
    // name (changed in `tag`, so pass a copy).
    int WriteTag(const std::string& mp3Path, TagRecord& tag);
    // The same for the file open for reading and writing as fd, which the
    // caller holds (and locks) for as long as it writes it; fd stays open.
    int WriteTag(int fd, const std::string& mp3Path, TagRecord& tag);

    // The block for a tag, as it is written.
    static void BuildBlock(const TagRecord& tag, unsigned char (&block)[kTagSize]);
};

}  // namespace tonalbox
