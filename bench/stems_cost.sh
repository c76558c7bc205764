#!/usr/bin/env bash
# What --stems costs: converts the same dense General MIDI piece (drums and
# seven instruments, eight channels; 60 s by default) with tonalbox-convert, once as
# the mix alone and once with --stems, and prints each one's wall and CPU
# (user + system) time and the ratios. Each side runs RUNS times (default
# 3) and the fastest run counts. The machine may be shared: the CPU ratio
# is the steadier figure.
# Then what the one pass needs whatever the converter does around it:
# FluidSynth's own file renderer (fluidsynth -F) on the same piece with
# one reverb/chorus unit and with one per stem (units of channels without
# a note are switched off in the converter). The other part the stems
# need, libebur128's loudness of each stem, shows with
#   perf record tonalbox-convert --stems ...; perf report --sort dso
#
#   bench/stems_cost.sh [BUILD_DIR] [SOUNDFONT]
#   FORMAT=mp3 SECONDS_LONG=120 RUNS=5 bench/stems_cost.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
soundfont=${2:-/usr/share/sounds/sf2/TimGM6mb.sf2}
runs=${RUNS:-3}
format=${FORMAT:-wav}
seconds=${SECONDS_LONG:-60}
convert="$build/bin/tonalbox-convert"
bench="$build/bin/bench_render"
for program in "$convert" "$bench"; do
    [ -x "$program" ] || { echo "build $(basename "$program") first (cmake --build $build)" >&2; exit 1; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$bench" --write-midi "$tmp/dense.mid" --seconds "$seconds"

# "wall cpu" of one conversion in seconds; its temporary files in $tmp.
measure() {
    local out=$tmp/out-$1; shift
    rm -rf "$out"; mkdir -p "$out"
    local TIMEFORMAT='%R %U %S'
    { time TMPDIR=$tmp "$convert" -q -j 1 -f "$format" --soundfont "$soundfont" -o "$out/" "$@" \
          "$tmp/dense.mid" >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}

best() { sort -g -k"$1" | head -n1 | cut -d' ' -f"$1"; }

mix=(); stems=()
for ((i = 0; i < runs; i++)); do
    mix+=("$(measure mix)")
    stems+=("$(measure stems --stems)")
done
mix_wall=$(printf '%s\n' "${mix[@]}" | best 1); mix_cpu=$(printf '%s\n' "${mix[@]}" | best 2)
stems_wall=$(printf '%s\n' "${stems[@]}" | best 1); stems_cpu=$(printf '%s\n' "${stems[@]}" | best 2)
count=$(ls "$tmp/out-stems" | grep -c '\.ch[0-9][0-9]\.' || true)

awk -v sf="$soundfont" -v runs="$runs" -v f="$format" -v s="$seconds" -v n="$count" \
    -v mw="$mix_wall" -v mc="$mix_cpu" -v sw="$stems_wall" -v sc="$stems_cpu" 'BEGIN {
    printf "SoundFont: %s, %d s piece, %s, best of %d runs, %d stems\n", sf, s, f, runs, n
    printf "mix alone:  %6.2f s wall  %6.2f s CPU\n", mw, mc
    printf "--stems:    %6.2f s wall  %6.2f s CPU\n", sw, sc
    printf "ratio --stems / mix: wall %.2f, CPU %.2f (target <= 1.5)\n", sw / mw, sc / mc
}'

command -v fluidsynth >/dev/null || exit 0
rate=$(sed -n 's/.*"sample_rate": *\([0-9]*\).*/\1/p' "$tmp/out-stems/dense.json")
# Fastest CPU seconds of RUNS renders by fluidsynth with `units` effects units.
fluid_cpu() {
    local TIMEFORMAT='%U %S'
    for ((i = 0; i < runs; i++)); do
        { time fluidsynth -ni -q -F /dev/null -T raw -r "$rate" -o synth.audio-channels=16 \
              -o synth.audio-groups=16 -o synth.effects-groups="$1" "$soundfont" "$tmp/dense.mid" \
              >/dev/null 2>&1; } 2>&1 | awk '{ printf "%.3f\n", $1 + $2 }'
    done | sort -g | head -n1
}
one=$(fluid_cpu 1); each=$(fluid_cpu "$count")
awk -v n="$count" -v one="$one" -v each="$each" -v mc="$mix_cpu" 'BEGIN {
    printf "fluidsynth -F, 1 effects unit: %.2f s CPU, %d units: %.2f s CPU: +%.2f of the mix alone\n",
           one, n, each, (each - one) / mc
}'
