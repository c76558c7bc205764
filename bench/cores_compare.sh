#!/bin/bash
# Renders each MIDI file through the engine with one synthesizer core and
# several times with N cores, and tells whether the WAV bytes are the same.
#   bench/cores_compare.sh BUILD_DIR SOUNDFONT RATE N RUNS FILE.mid...
set -u
bin=$1/bin/bench_render; sf=$2; rate=$3; cores=$4; runs=$5; shift 5
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for f in "$@"; do
  "$bin" --midi "$f" --soundfont "$sf" --rate "$rate" --cores 1 --out "$tmp/one.wav" >/dev/null || continue
  differ=0
  for ((i = 1; i <= runs; i++)); do
    "$bin" --midi "$f" --soundfont "$sf" --rate "$rate" --cores "$cores" --out "$tmp/n.wav" >/dev/null
    cmp -s "$tmp/one.wav" "$tmp/n.wav" || differ=$((differ + 1))
  done
  echo "$differ of $runs renders with $cores cores differ from one core: $(basename "$f")"
done
