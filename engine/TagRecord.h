#pragma once
#include <string>

namespace tonalbox {

// The one ID3v1.1 tag every MP3 of a run carries.
struct TagRecord {
    std::string m_strTitle;
    std::string m_strArtist;   // empty: the writer uses the output file's name
    std::string m_strAlbum;
    std::string m_strYear;
    std::string m_strComment;
    int m_nTrack = 0;          // low 8 bits are written
    int m_nGenre = 0;          // position in GenreNames; low 8 bits are written
};

}  // namespace tonalbox
