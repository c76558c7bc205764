#pragma once
// The entry points of a loaded lame_enc module, resolved by name.

#include <dlfcn.h>

#include "platform/lame_enc/LameEncInterface.h"

struct LameEncEntryPoints {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNK beEncodeChunk = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
    BEVERSION beVersion = nullptr;
    BEWRITEVBRHEADER beWriteVBRHeader = nullptr;
    BEWRITEINFOTAG beWriteInfoTag = nullptr;  // optional

    // Resolves every name; true when all the required ones are there.
    bool Resolve(void* module) {
        beInitStream = Find<BEINITSTREAM>(module, TEXT_BEINITSTREAM);
        beEncodeChunk = Find<BEENCODECHUNK>(module, TEXT_BEENCODECHUNK);
        beDeinitStream = Find<BEDEINITSTREAM>(module, TEXT_BEDEINITSTREAM);
        beCloseStream = Find<BECLOSESTREAM>(module, TEXT_BECLOSESTREAM);
        beVersion = Find<BEVERSION>(module, TEXT_BEVERSION);
        beWriteVBRHeader = Find<BEWRITEVBRHEADER>(module, TEXT_BEWRITEVBRHEADER);
        beWriteInfoTag = Find<BEWRITEINFOTAG>(module, TEXT_BEWRITEINFOTAG);
        return beInitStream && beEncodeChunk && beDeinitStream && beCloseStream && beVersion &&
               beWriteVBRHeader;
    }

private:
    template <typename Fn>
    static Fn Find(void* module, const char* name) {
        return reinterpret_cast<Fn>(::dlsym(module, name));
    }
};
