#pragma once
// How a BE_CONFIG record becomes LAME settings.

#include <lame/lame.h>

#include "platform/Result.h"
#include "platform/lame_enc/LameEncInterface.h"

namespace tonalbox::lameenc {

// Copies the caller's record into `lhv1` in the LHV1 layout: a
// BE_CONFIG_LAME record as far as its dwStructSize reaches (the rest stays
// zero), a BE_CONFIG_MP3 record field by field. Fails with
// BE_ERR_INVALID_FORMAT for any other dwConfig.
platform::Result ReadConfig(const BE_CONFIG& in, BE_CONFIG& lhv1);

// Sets up LAME from an LHV1 record, up to but not including
// lame_init_params. Fails with BE_ERR_INVALID_FORMAT_PARAMETERS for a
// channel mode outside 0..3 or an input rate of 0. `inChannels` receives
// the channel count of the input (1 for mono, else 2).
platform::Result ApplyConfig(lame_global_flags* gfp, const BE_CONFIG& lhv1, int& inChannels);

// Bytes one chunk of `chunkSamples` input samples (all channels) may take
// once encoded, with room for the frames a flush returns.
DWORD OutputBufferSize(DWORD chunkSamples, int inChannels, int inRate, int outRate);

}  // namespace tonalbox::lameenc
