#pragma once
// Whole reads and writes at a file position, through interruptions and
// short transfers: false when the file ends first or the system fails.

#include <sys/types.h>

#include <cstddef>

namespace tonalbox::platform {

bool ReadAllAt(int fd, unsigned char* data, size_t size, off_t at);
bool WriteAllAt(int fd, const unsigned char* data, size_t size, off_t at);

}  // namespace tonalbox::platform
