#include "platform/lame_enc/LameConfig.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace tonalbox::lameenc {

namespace {

platform::Result InvalidParameter(const std::string& what) {
    return platform::Result::Fail(static_cast<int>(BE_ERR_INVALID_FORMAT_PARAMETERS), "lame_enc: unusable " + what);
}

constexpr int kMinKbps = 8;
constexpr int kMaxKbps = 320;
// LAME's own bitrate when it is given none.
constexpr int kDefaultKbps = 128;

int ClampKbps(long long kbps) {
    return static_cast<int>(std::clamp<long long>(kbps, kMinKbps, kMaxKbps));
}

// The bitrate of the "CBR" and "ABR" presets: the record's, or LAME's
// default when it carries none (the preset mode passes no bitrate).
int PresetKbps(long long kbps) { return kbps > 0 ? ClampKbps(kbps) : kDefaultKbps; }

void SetCbr(lame_global_flags* gfp, int kbps) {
    lame_set_VBR(gfp, vbr_off);
    lame_set_brate(gfp, kbps);
}

void SetMonoOutput(lame_global_flags* gfp) { lame_set_mode(gfp, MONO); }

vbr_mode VbrModeOf(VBRMETHOD method) {
    switch (method) {
    case VBR_METHOD_NONE: return vbr_off;
    case VBR_METHOD_OLD: return vbr_rh;
    case VBR_METHOD_NEW:
    case VBR_METHOD_MTRH: return vbr_mtrh;
    case VBR_METHOD_ABR: return vbr_abr;
    case VBR_METHOD_DEFAULT:
    default: return vbr_default;
    }
}

// The preset codes. LAME's own preset numbers differ from these (its R3MIX
// is 1000, the code of "Phone" here), so every code is translated.
void ApplyPreset(lame_global_flags* gfp, const BE_CONFIG& c) {
    const auto& l = c.format.LHV1;
    switch (l.nPreset) {
    case LQP_NORMAL_QUALITY: break;  // leaves the settings as they are
    case LQP_LOW_QUALITY: lame_set_quality(gfp, 9); break;
    case LQP_HIGH_QUALITY: lame_set_quality(gfp, 2); break;
    case LQP_VOICE_QUALITY:
        SetMonoOutput(gfp);
        lame_set_preset(gfp, 56);  // average bitrate of 56 kbit/s
        break;
    case LQP_R3MIX: lame_set_preset(gfp, R3MIX); break;
    case LQP_VERYHIGH_QUALITY: lame_set_quality(gfp, 0); break;
    case LQP_STANDARD: lame_set_preset(gfp, STANDARD); break;
    case LQP_FAST_STANDARD: lame_set_preset(gfp, STANDARD_FAST); break;
    case LQP_EXTREME: lame_set_preset(gfp, EXTREME); break;
    case LQP_FAST_EXTREME: lame_set_preset(gfp, EXTREME_FAST); break;
    case LQP_INSANE: lame_set_preset(gfp, INSANE); break;
    case LQP_ABR: lame_set_preset(gfp, PresetKbps(l.dwVbrAbr_bps / 1000)); break;
    case LQP_CBR: {
        const int kbps = PresetKbps(l.dwBitrate);
        lame_set_preset(gfp, kbps);
        SetCbr(gfp, kbps);
        break;
    }
    case LQP_MEDIUM: lame_set_preset(gfp, MEDIUM); break;
    case LQP_FAST_MEDIUM: lame_set_preset(gfp, MEDIUM_FAST); break;
    case LQP_PHONE: SetMonoOutput(gfp); SetCbr(gfp, 16); break;
    case LQP_SW: SetMonoOutput(gfp); SetCbr(gfp, 24); break;
    case LQP_AM: SetMonoOutput(gfp); SetCbr(gfp, 40); break;
    case LQP_FM: SetCbr(gfp, 112); break;
    case LQP_VOICE: SetMonoOutput(gfp); SetCbr(gfp, 56); break;
    case LQP_RADIO: SetCbr(gfp, 112); break;
    case LQP_TAPE: SetCbr(gfp, 112); break;
    case LQP_HIFI: SetCbr(gfp, 160); break;
    case LQP_CD: SetCbr(gfp, 192); break;
    case LQP_STUDIO: SetCbr(gfp, 256); break;
    default: break;  // LQP_NOPRESET and unknown codes leave the settings
    }
}

}  // namespace

platform::Result ReadConfig(const BE_CONFIG& in, BE_CONFIG& lhv1) {
    std::memset(&lhv1, 0, sizeof lhv1);
    if (in.dwConfig == BE_CONFIG_LAME) {
        const size_t size = std::min<size_t>(in.format.LHV1.dwStructSize, sizeof(BE_CONFIG));
        std::memcpy(&lhv1, &in, size);
        lhv1.format.LHV1.dwStructSize = sizeof(BE_CONFIG);
        return platform::Result::Ok();
    }
    if (in.dwConfig == BE_CONFIG_MP3) {
        const auto& mp3 = in.format.mp3;
        auto& l = lhv1.format.LHV1;
        // Read every field before the first write: both views share bytes.
        const DWORD rate = mp3.dwSampleRate;
        const LONG mode = mp3.byMode & 0x0F;
        const DWORD bitrate = mp3.wBitrate;
        const BOOL bPrivate = mp3.bPrivate, bCrc = mp3.bCRC, bCopyright = mp3.bCopyright,
                   bOriginal = mp3.bOriginal;
        lhv1.dwConfig = BE_CONFIG_LAME;
        l.dwStructVersion = CURRENT_STRUCT_VERSION;
        l.dwStructSize = sizeof(BE_CONFIG);
        l.dwSampleRate = rate;
        l.nMode = mode;
        l.dwBitrate = bitrate;
        l.nPreset = LQP_NORMAL_QUALITY;
        l.dwMpegVersion = MPEG1;
        l.bPrivate = bPrivate;
        l.bCRC = bCrc & 1;
        l.bCopyright = bCopyright;
        l.bOriginal = bOriginal;
        l.nVbrMethod = VBR_METHOD_NONE;
        return platform::Result::Ok();
    }
    return platform::Result::Fail(static_cast<int>(BE_ERR_INVALID_FORMAT),
                                  "lame_enc: unknown configuration kind " + std::to_string(in.dwConfig));
}

platform::Result ApplyConfig(lame_global_flags* gfp, const BE_CONFIG& c, int& inChannels) {
    const auto& l = c.format.LHV1;

    if (l.dwSampleRate == 0 || l.dwSampleRate > 1000000)
        return InvalidParameter("input rate " + std::to_string(l.dwSampleRate));
    lame_set_in_samplerate(gfp, static_cast<int>(l.dwSampleRate));

    switch (l.nMode) {
    case BE_MP3_MODE_STEREO: lame_set_mode(gfp, STEREO); inChannels = 2; break;
    case BE_MP3_MODE_JSTEREO: lame_set_mode(gfp, JOINT_STEREO); inChannels = 2; break;
    // LAME has no dual-channel coding; two independently coded channels
    // come closest.
    case BE_MP3_MODE_DUALCHANNEL: lame_set_mode(gfp, STEREO); inChannels = 2; break;
    case BE_MP3_MODE_MONO: lame_set_mode(gfp, MONO); inChannels = 1; break;
    default: return InvalidParameter("channel mode " + std::to_string(l.nMode));
    }
    lame_set_num_channels(gfp, inChannels);

    // Bitrate and VBR fields count only below the named LAME presets, which
    // bring their own.
    if (l.nPreset < LQP_STANDARD) {
        if (l.bEnableVBR) {
            lame_set_VBR_q(gfp, std::clamp<int>(l.nVBRQuality, 0, 9));
            lame_set_VBR(gfp, VbrModeOf(l.nVbrMethod));
        } else {
            lame_set_VBR(gfp, vbr_off);
        }
        if (l.dwBitrate > 0) lame_set_brate(gfp, static_cast<int>(std::min<DWORD>(l.dwBitrate, 1000)));
        // An average bitrate selects ABR, whatever the VBR method says.
        if (l.dwVbrAbr_bps > 0) {
            lame_set_VBR(gfp, vbr_abr);
            lame_set_VBR_mean_bitrate_kbps(gfp, ClampKbps((static_cast<long long>(l.dwVbrAbr_bps) + 500) / 1000));
        }
    }

    if (l.nPreset != LQP_NOPRESET) ApplyPreset(gfp, c);

    if (l.dwReSampleRate > 0) lame_set_out_samplerate(gfp, static_cast<int>(l.dwReSampleRate));

    // A mono input stays mono, whatever a preset chose.
    if (l.nMode == BE_MP3_MODE_MONO) {
        lame_set_mode(gfp, MONO);
        lame_set_num_channels(gfp, 1);
    }

    lame_set_strict_ISO(gfp, l.bStrictIso ? 1 : 0);
    lame_set_copyright(gfp, l.bCopyright ? 1 : 0);
    lame_set_original(gfp, l.bOriginal ? 1 : 0);
    lame_set_error_protection(gfp, l.bCRC ? 1 : 0);
    lame_set_extension(gfp, l.bPrivate ? 1 : 0);

    if (l.dwBitrate > 0) lame_set_VBR_min_bitrate_kbps(gfp, ClampKbps(l.dwBitrate));
    if (l.dwMaxBitrate > 0) lame_set_VBR_max_bitrate_kbps(gfp, ClampKbps(l.dwMaxBitrate));
    if (l.bNoRes) lame_set_disable_reservoir(gfp, 1);

    lame_set_bWriteVbrTag(gfp, l.bWriteVBRHeader ? 1 : 0);

    // The quality counts only when its high byte is the complement of its
    // low byte, so that a zeroed record keeps LAME's default.
    const unsigned quality = l.nQuality;
    if ((quality & 0xFFu) == (~(quality >> 8) & 0xFFu)) lame_set_quality(gfp, static_cast<int>(quality & 0xFFu));

    return platform::Result::Ok();
}

DWORD OutputBufferSize(DWORD chunkSamples, int inChannels, int inRate, int outRate) {
    // LAME's rule of thumb, 1.25 bytes per sample and channel plus 7200,
    // counted in output samples when the stream is resampled upwards.
    const double perChannel = static_cast<double>(chunkSamples) / std::max(inChannels, 1);
    const double ratio = (inRate > 0 && outRate > inRate) ? static_cast<double>(outRate) / inRate : 1.0;
    return static_cast<DWORD>(std::ceil(1.25 * perChannel * ratio)) + 7200;
}

}  // namespace tonalbox::lameenc
