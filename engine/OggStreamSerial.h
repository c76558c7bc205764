#pragma once
// Sets the serial number of the one logical stream of an Ogg file in
// place: every page's serial field, and its checksum (libogg's) anew.

#include <cstdint>
#include <string>

#include "platform/Result.h"

namespace tonalbox {

// fd: the Ogg file, open for reading and writing. Fails when a page
// cannot be read or written back, or the file is no Ogg stream.
platform::Result SetOggStreamSerial(int fd, uint32_t serial);

// A serial number for the file called name: the same name, the same number
// (FNV-1a), so that outputs of different names still differ in it, as
// streams joined into one chained file must.
uint32_t OggSerialFor(const std::string& name);

}  // namespace tonalbox
