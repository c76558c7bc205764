#!/usr/bin/env bash
# Renders the same dense 3-minute General MIDI file at 22050 Hz stereo with
# the same SoundFont through CMidiMusic (bench_render) and with the
# fluidsynth command line, and prints the wall-time ratio and each one's
# speed as a multiple of real time. Both times include process start and
# SoundFont load; each side runs RUNS times (default 3) and the fastest
# run counts.
#
#   bench/render_compare.sh [BUILD_DIR] [SOUNDFONT]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
soundfont=${2:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
runs=${RUNS:-3}
bench="$build/bin/bench_render"
[ -x "$bench" ] || { echo "build bench_render first: cmake --build $build --target bench_render" >&2; exit 1; }
command -v fluidsynth >/dev/null || { echo "fluidsynth is not installed" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$bench" --write-midi "$tmp/dense.mid" --seconds 180

# Wall time of one command in seconds (its output discarded).
wall() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

best() { printf '%s\n' "$@" | sort -g | head -n1; }

ours=(); theirs=()
for ((i = 0; i < runs; i++)); do
    ours+=("$(wall "$bench" --midi "$tmp/dense.mid" --soundfont "$soundfont" --rate 22050 --out "$tmp/ours.wav")")
    theirs+=("$(wall fluidsynth -ni -F "$tmp/theirs.wav" -r 22050 "$soundfont" "$tmp/dense.mid")")
done
t_ours=$(best "${ours[@]}")
t_theirs=$(best "${theirs[@]}")
a_ours=$(soxi -D "$tmp/ours.wav")
a_theirs=$(soxi -D "$tmp/theirs.wav")

awk -v sf="$soundfont" -v runs="$runs" -v to="$t_ours" -v tt="$t_theirs" -v ao="$a_ours" -v at="$a_theirs" 'BEGIN {
    printf "SoundFont: %s, 22050 Hz stereo, best of %d runs\n", sf, runs
    printf "CMidiMusic:  %6.2f s wall for %7.2f s of audio = %5.1fx real time\n", to, ao, ao / to
    printf "fluidsynth:  %6.2f s wall for %7.2f s of audio = %5.1fx real time\n", tt, at, at / tt
    printf "wall-time ratio CMidiMusic / fluidsynth: %.2f (target <= 1.0)\n", to / tt
}'
