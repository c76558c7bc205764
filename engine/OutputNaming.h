#pragma once
// Where the output of one MIDI file goes.

#include <string>

#include "engine/ConversionSettings.h"

namespace tonalbox {

// The path with the extension of its file name (the text after the last
// dot of the part after the last separator) replaced by ext; a file name
// without a dot gets "." + ext appended. "song.mid" → "song.mp3",
// "a.midi" → "a.mp3", "tune" → "tune.mp3".
std::string ReplaceExtension(const std::string& path, const std::string& ext);

// The output path for source: next to the source with m_bSameAsSource
// set, otherwise the file name in m_strOutputFolder; the extension is
// the format's (options::OutputExtension: "mp3", "flac", ...; "wav" for a
// code no list holds). A
// non-empty folder (ending with a separator) takes the place of
// m_strOutputFolder. A non-empty soundFont (for a run over several) puts
// its file name without extension before the extension: "song.mid" with
// "fonts/Piano.sf2" → "song.Piano.mp3".
std::string OutputPathFor(const std::string& source, const ConversionSettings& settings,
                          const std::string& folder = {}, const std::string& soundFont = {});
// How a run over several SoundFonts names one in outputs and messages:
// its file name without extension ("fonts/Piano.sf2" → "Piano").
std::string SoundFontLabel(const std::string& soundFont);

// The output of MIDI channel `channel` (1..16, as General MIDI counts
// them) beside `output`: "x.mp3" → "x.ch01.mp3" … "x.ch16.mp3".
std::string StemPathFor(const std::string& output, int channel);
// The description of an output's stems beside it: "x.mp3" → "x.json".
std::string StemSidecarPathFor(const std::string& output);

// An output is written under a hidden name of its own in the output's
// folder and renamed over the output only when it is complete. This is
// the fixed start of that name, "<folder>/.<name>.part-"; six random
// characters follow it. A leftover of a killed run starts with it too.
std::string PartialOutputPrefix(const std::string& output);

// The output as one text however it is spelled: its folder's resolved
// path and its name ("d/./s.wav" and "d/s.wav" give one text). The name
// itself is not resolved: the output replaces a link, not its target.
std::string OutputIdentity(const std::string& output);

// Whether an output counts as made (for a run that resumes): a regular
// file with something in it. An empty file or a folder of its name is not.
bool IsFinishedOutput(const std::string& output);

}  // namespace tonalbox
