#pragma once

namespace tonalbox {

// The ID3v1 genre list with its common extension: position n is genre byte n.
inline constexpr int kGenreCount = 148;
extern const char* const GenreNames[kGenreCount];

}  // namespace tonalbox
