#!/usr/bin/env bash
# Writes the example MIDI files and converts them to MP3.
# Usage: scripts/run-examples.sh BUILD_DIR OUT_DIR
#   OUT_DIR/midi/   the generated MIDI files
#   OUT_DIR/*.mp3   their MP3 conversions
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "Usage: $0 BUILD_DIR OUT_DIR" >&2
  exit 2
fi
build=$1
out=$2
bin=$build/bin
for program in tonalbox-make-examples tonalbox-convert; do
  if [ ! -x "$bin/$program" ]; then
    echo "$bin/$program is missing: build first (scripts/build.sh $build)" >&2
    exit 1
  fi
done

mkdir -p "$out/midi"
"$bin/tonalbox-make-examples" "$out/midi" >/dev/null
# Explicit settings, so that the result does not depend on an "Option.dat"
# left next to the program by the window.
"$bin/tonalbox-convert" --format mp3 --output-dir "$out" --overwrite \
  --mode cbr --bitrate 192 --mp3-rate 44100 --mp3-channels "joint stereo" \
  --artist Tonalbox --album "Tonalbox examples" --comment "Made with Tonalbox" \
  "$out/midi"
ls -l "$out"/*.mp3
