#pragma once
// The lame_enc module's interface: the encoder entry points in the style of
// LAME's BladeMP3EncDLL interface, the configuration record in its LHV1
// layout, result and preset codes, and the function-pointer types a caller
// resolves by name after loading the module.
//
// DWORD is 32 bits wide here, as in the Windows interface this mirrors, so
// the record keeps its published size of 331 bytes on every platform.

#include <cstddef>
#include <cstdint>

extern "C" {

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int32_t INT;
typedef int32_t BOOL;
typedef int16_t SHORT;
typedef char CHAR;

typedef BYTE* PBYTE;
typedef SHORT* PSHORT;
typedef DWORD* PDWORD;
typedef const char* LPCSTR;

// A stream handle is a small non-zero number issued by beInitStream.
typedef DWORD HBE_STREAM;
typedef HBE_STREAM* PHBE_STREAM;
typedef DWORD BE_ERR;

// Configuration formats (BE_CONFIG::dwConfig).
#define BE_CONFIG_MP3 0
#define BE_CONFIG_LAME 256

// Result codes.
#define BE_ERR_SUCCESSFUL 0x00000000u
#define BE_ERR_INVALID_FORMAT 0x00000001u
#define BE_ERR_INVALID_FORMAT_PARAMETERS 0x00000002u
#define BE_ERR_NO_MORE_HANDLES 0x00000003u
#define BE_ERR_INVALID_HANDLE 0x00000004u
#define BE_ERR_BUFFER_TOO_SMALL 0x00000005u

#define BE_MAX_HOMEPAGE 128

// Channel modes (nMode, byMode).
#define BE_MP3_MODE_STEREO 0
#define BE_MP3_MODE_JSTEREO 1
#define BE_MP3_MODE_DUALCHANNEL 2
#define BE_MP3_MODE_MONO 3

#define MPEG1 1
#define MPEG2 0

#define CURRENT_STRUCT_VERSION 1
#define CURRENT_STRUCT_SIZE 331

typedef enum {
    VBR_METHOD_NONE = -1,
    VBR_METHOD_DEFAULT = 0,
    VBR_METHOD_OLD = 1,
    VBR_METHOD_NEW = 2,
    VBR_METHOD_MTRH = 3,
    VBR_METHOD_ABR = 4
} VBRMETHOD;

typedef enum {
    LQP_NOPRESET = -1,

    // Quality presets of the interface's first generation.
    LQP_NORMAL_QUALITY = 0,
    LQP_LOW_QUALITY = 1,
    LQP_HIGH_QUALITY = 2,
    LQP_VOICE_QUALITY = 3,
    LQP_R3MIX = 4,
    LQP_VERYHIGH_QUALITY = 5,
    LQP_STANDARD = 6,
    LQP_FAST_STANDARD = 7,
    LQP_EXTREME = 8,
    LQP_FAST_EXTREME = 9,
    LQP_INSANE = 10,
    LQP_ABR = 11,
    LQP_CBR = 12,
    LQP_MEDIUM = 13,
    LQP_FAST_MEDIUM = 14,

    // Settings named after a use.
    LQP_PHONE = 1000,
    LQP_SW = 2000,
    LQP_AM = 3000,
    LQP_FM = 4000,
    LQP_VOICE = 5000,
    LQP_RADIO = 6000,
    LQP_TAPE = 7000,
    LQP_HIFI = 8000,
    LQP_CD = 9000,
    LQP_STUDIO = 10000
} LAME_QUALITY_PRESET;

#pragma pack(push, 1)

typedef struct {
    DWORD dwConfig;  // BE_CONFIG_MP3 or BE_CONFIG_LAME

    union {
        // BE_CONFIG_MP3: the original, short record.
        struct {
            DWORD dwSampleRate;  // 48000, 44100 or 32000
            BYTE byMode;         // BE_MP3_MODE_*
            WORD wBitrate;       // kbit/s
            BOOL bPrivate;
            BOOL bCRC;
            BOOL bCopyright;
            BOOL bOriginal;
        } mp3;

        // BE_CONFIG_LAME: LAME header version 1.
        struct {
            DWORD dwStructVersion;  // CURRENT_STRUCT_VERSION
            DWORD dwStructSize;     // CURRENT_STRUCT_SIZE

            DWORD dwSampleRate;    // rate of the input samples, Hz
            DWORD dwReSampleRate;  // rate of the MP3, Hz; 0 = encoder decides
            LONG nMode;            // BE_MP3_MODE_*
            DWORD dwBitrate;       // CBR bitrate, VBR minimum bitrate, kbit/s
            DWORD dwMaxBitrate;    // VBR maximum bitrate, kbit/s; CBR ignores it
            LONG nPreset;          // LAME_QUALITY_PRESET
            DWORD dwMpegVersion;   // MPEG1 or MPEG2; the encoder decides
            DWORD dwPsyModel;      // 0
            DWORD dwEmphasis;      // 0

            BOOL bPrivate;
            BOOL bCRC;
            BOOL bCopyright;
            BOOL bOriginal;

            BOOL bWriteVBRHeader;  // write the Xing/Info frame at the end
            BOOL bEnableVBR;
            INT nVBRQuality;     // 0..9
            DWORD dwVbrAbr_bps;  // average bitrate in bit/s; > 0 selects ABR
            VBRMETHOD nVbrMethod;
            BOOL bNoRes;  // disable the bit reservoir

            BOOL bStrictIso;
            WORD nQuality;  // low byte = quality; used when high byte == ~low byte

            BYTE btReserved[255 - 4 * sizeof(DWORD) - sizeof(WORD)];
        } LHV1;

        struct {
            DWORD dwSampleRate;
            BYTE byMode;
            WORD wBitrate;
            BYTE byEncodingMethod;
        } aac;
    } format;
} BE_CONFIG, *PBE_CONFIG;

typedef struct {
    BYTE byDLLMajorVersion;  // interface version
    BYTE byDLLMinorVersion;
    BYTE byMajorVersion;  // encoder engine version
    BYTE byMinorVersion;
    BYTE byDay;  // release date of the module
    BYTE byMonth;
    WORD wYear;
    CHAR zHomepage[BE_MAX_HOMEPAGE + 1];
    BYTE byAlphaLevel;
    BYTE byBetaLevel;
    BYTE byMMXEnabled;
    BYTE btReserved[125];
} BE_VERSION, *PBE_VERSION;

#pragma pack(pop)

static_assert(sizeof(VBRMETHOD) == 4, "VBRMETHOD must be 32 bits wide");
static_assert(sizeof(BE_CONFIG) == CURRENT_STRUCT_SIZE, "BE_CONFIG must be 331 bytes");
static_assert(sizeof(BE_VERSION) == 265, "BE_VERSION must be 265 bytes");
static_assert(offsetof(BE_CONFIG, format) == 4);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwStructVersion) == 4);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwStructSize) == 8);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwSampleRate) == 12);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, format.LHV1.nMode) == 20);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwBitrate) == 24);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwMaxBitrate) == 28);
static_assert(offsetof(BE_CONFIG, format.LHV1.nPreset) == 32);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwMpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwPsyModel) == 40);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwEmphasis) == 44);
static_assert(offsetof(BE_CONFIG, format.LHV1.bPrivate) == 48);
static_assert(offsetof(BE_CONFIG, format.LHV1.bCRC) == 52);
static_assert(offsetof(BE_CONFIG, format.LHV1.bCopyright) == 56);
static_assert(offsetof(BE_CONFIG, format.LHV1.bOriginal) == 60);
static_assert(offsetof(BE_CONFIG, format.LHV1.bWriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, format.LHV1.bEnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, format.LHV1.nVBRQuality) == 72);
static_assert(offsetof(BE_CONFIG, format.LHV1.dwVbrAbr_bps) == 76);
static_assert(offsetof(BE_CONFIG, format.LHV1.nVbrMethod) == 80);
static_assert(offsetof(BE_CONFIG, format.LHV1.bNoRes) == 84);
static_assert(offsetof(BE_CONFIG, format.LHV1.bStrictIso) == 88);
static_assert(offsetof(BE_CONFIG, format.LHV1.nQuality) == 92);
static_assert(offsetof(BE_CONFIG, format.LHV1.btReserved) == 94);
static_assert(offsetof(BE_CONFIG, format.mp3.byMode) == 8);
static_assert(offsetof(BE_CONFIG, format.mp3.wBitrate) == 9);
static_assert(offsetof(BE_CONFIG, format.mp3.bPrivate) == 11);
static_assert(offsetof(BE_VERSION, zHomepage) == 8);
static_assert(offsetof(BE_VERSION, byAlphaLevel) == 137);

// Entry points, resolved by these names: "beInitStream", "beEncodeChunk",
// "beDeinitStream", "beCloseStream", "beVersion", "beWriteVBRHeader",
// "beWriteInfoTag".
typedef BE_ERR (*BEINITSTREAM)(PBE_CONFIG, PDWORD, PDWORD, PHBE_STREAM);
typedef BE_ERR (*BEENCODECHUNK)(HBE_STREAM, DWORD, PSHORT, PBYTE, PDWORD);
typedef BE_ERR (*BEDEINITSTREAM)(HBE_STREAM, PBYTE, PDWORD);
typedef BE_ERR (*BECLOSESTREAM)(HBE_STREAM);
typedef void (*BEVERSION)(PBE_VERSION);
typedef BE_ERR (*BEWRITEVBRHEADER)(LPCSTR);
typedef BE_ERR (*BEWRITEINFOTAG)(HBE_STREAM, LPCSTR);

#define TEXT_BEINITSTREAM "beInitStream"
#define TEXT_BEENCODECHUNK "beEncodeChunk"
#define TEXT_BEDEINITSTREAM "beDeinitStream"
#define TEXT_BECLOSESTREAM "beCloseStream"
#define TEXT_BEVERSION "beVersion"
#define TEXT_BEWRITEVBRHEADER "beWriteVBRHeader"
#define TEXT_BEWRITEINFOTAG "beWriteInfoTag"

}  // extern "C"
