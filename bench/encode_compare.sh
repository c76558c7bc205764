#!/usr/bin/env bash
# Times the MP3 encoder driver (EncodeFile through lame_enc.so) against the
# `lame` command on the same 3-minute 22050 Hz stereo WAV at CBR 128 kbit/s,
# side by side in one run, and prints the ratio (target: at most 1.05).
#
# Usage: bench/encode_compare.sh [BUILD_DIR] [--seconds N] [--runs N] [--lame PATH]
# BUILD_DIR defaults to build-bench, an optimised build without sanitizers.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-bench
if [[ $# -gt 0 && $1 != --* ]]; then build=$1; shift; fi

command -v lame >/dev/null || { echo "the lame command is missing (Debian package lame)" >&2; exit 1; }
if [[ ! -f $build/CMakeCache.txt ]]; then
  gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  cmake -S "$here" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DTONALBOX_BUILD_GUI=OFF >/dev/null
fi
cmake --build "$build" -j2 --target bench_encode lame_enc >/dev/null
exec "$build/bin/bench_encode" "$@"
