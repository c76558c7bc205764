#include "engine/ConversionSettings.h"

#include "engine/ProductInfo.h"
#include "platform/ProgramPaths.h"

namespace tonalbox {

TagRecord DefaultTag() {
    TagRecord tag;
    tag.m_strTitle = kDefaultTagTitle;
    tag.m_strArtist = "";
    tag.m_strAlbum = "MARLOVEN";
    tag.m_strYear = "2006";
    tag.m_strComment = kProductWebAddress;
    tag.m_nTrack = 0;
    tag.m_nGenre = 0;
    return tag;
}

ConversionSettings ConversionSettings::Defaults() {
    ConversionSettings s;
    s.m_tag = DefaultTag();
    s.m_strOutputFolder = platform::TempFolder();
    s.m_strProgramFolder = platform::ProgramFolder();
    return s;
}

}  // namespace tonalbox
