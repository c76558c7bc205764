#pragma once
// The log lines of the synthesizer's libraries: FluidSynth's own and the
// GLib messages of the libraries it reads SoundFonts with. They are kept
// off the terminal unless shown, as they speak of the libraries' insides
// rather than of the user's files.

namespace tonalbox::audio {

class SynthLog {
public:
    // Takes the libraries' log lines over (once per process); until Show,
    // nothing is printed.
    static void Install();
    // Prints them on standard error, as the libraries would, from now on.
    static void Show(bool show);
};

}  // namespace tonalbox::audio
