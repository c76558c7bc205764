#pragma once
// Result codes of the audio layer beyond the basic ones in AudioTypes.h,
// with the values the DirectMusic and DirectSound callers know them by.

#include "platform/audio/AudioTypes.h"

namespace tonalbox::audio {

inline constexpr HResult kPointer = static_cast<HResult>(0x80004003u);           // E_POINTER
inline constexpr HResult kNoDriver = static_cast<HResult>(0x88780078u);          // DSERR_NODRIVER
inline constexpr HResult kInvalidCall = static_cast<HResult>(0x8878000Au);       // DSERR_INVALIDCALL
inline constexpr HResult kBadFormat = static_cast<HResult>(0x88780064u);         // DSERR_BADFORMAT
inline constexpr HResult kNotInitialized = static_cast<HResult>(0x88781036u);    // DMUS_E_NOT_INIT
inline constexpr HResult kPortNotFound = static_cast<HResult>(0x88781150u);      // DMUS_E_DEVICE_NOT_FOUND-like
inline constexpr HResult kInvalidFile = static_cast<HResult>(0x88781188u);       // DMUS_E_INVALIDFILE
inline constexpr HResult kUnsupportedStream = static_cast<HResult>(0x88781161u); // DMUS_E_UNSUPPORTED_STREAM
inline constexpr HResult kNoSoundFont = static_cast<HResult>(0x887810A0u);       // no instruments to play with
inline constexpr HResult kWriteFault = static_cast<HResult>(0x8007001Du);        // ERROR_WRITE_FAULT
inline constexpr HResult kCannotOpen = static_cast<HResult>(0x8007006Eu);        // ERROR_OPEN_FAILED

// Per-effect results of SetFX (DSFXR_ values).
inline constexpr int kFxrPresent = 0;
inline constexpr int kFxrLocSoftware = 2;
inline constexpr int kFxrUnallocated = 3;
inline constexpr int kFxrFailed = 4;
inline constexpr int kFxrUnknown = 5;

}  // namespace tonalbox::audio
