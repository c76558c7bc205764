#!/usr/bin/env bash
# What the loudness normalisation costs: the CPU time of tonalbox-convert
# on one batch with the level normalised (the default) and with
# --no-normalize, measured as task-clock by perf stat (user plus system
# time from getrusage through /usr/bin/time when perf can not count), in
# interleaved pairs so that a change of the machine's load falls on both.
# Prints each pair and the extra CPU of the normalised run, pair by pair,
# over all and between the least of each side. Target: at most 3 % more.
# On a loaded machine whole runs vary by more than that; so the
# normaliser's own CPU time is also measured (bench_normalizer, thread CPU
# time, least of five rounds) on the batch rendered as WAV, with its
# samples in memory and in its file, against the least --no-normalize run.
#
# Usage: bench/normalize_cost.sh [BUILD_DIR] [--pairs N] [--jobs J]
#                                [--files N] [--seconds S] [--soundfont SF2]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
pairs=3
jobs=1
files=8
seconds=30
soundfont=/usr/share/sounds/sf2/FluidR3_GM.sf2
while [ $# -gt 0 ]; do
  case $1 in
    --pairs) pairs=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --soundfont) soundfont=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) build=$1; shift ;;
  esac
done
bin=$build/bin
for program in tonalbox-convert bench_compare_batch bench_normalizer lame_enc.so; do
  [ -e "$bin/$program" ] || { echo "$bin/$program is missing: build first" >&2; exit 1; }
done
[ -r "$soundfont" ] || { echo "no SoundFont at $soundfont" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tonalbox-normalize-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/midi" "$work/out" "$work/wav" "$work/tmp"
"$bin/bench_compare_batch" "$work/midi" "$files" "$seconds"

use_perf=0
if command -v perf >/dev/null && perf stat -x, -e task-clock -o "$work/probe" true 2>/dev/null &&
   grep -q task-clock "$work/probe"; then
  use_perf=1
fi

# CPU milliseconds of one conversion of the batch.
cpu_ms() {
  local command=("$bin/tonalbox-convert" -q --soundfont "$soundfont" --format mp3 --output-dir "$work/out"
                 --overwrite --mode cbr --bitrate 128 --mp3-rate same --jobs "$jobs" "$@" "$work/midi")
  rm -f "$work/stat"  # a run that leaves no count must not show the one before
  if [ "$use_perf" = 1 ]; then
    TMPDIR=$work/tmp perf stat -x, -e task-clock -o "$work/stat" "${command[@]}" >/dev/null
    awk -F, '$3 == "task-clock" { printf "%.0f", $1 }' "$work/stat"
  else
    TMPDIR=$work/tmp /usr/bin/time -f '%U %S' -o "$work/stat" "${command[@]}" >/dev/null
    awk '{ printf "%.0f", ($1 + $2) * 1000 }' "$work/stat"
  fi
}

echo "Batch: $files MIDI files of $seconds s to MP3, -j $jobs, SoundFont $(basename "$soundfont")"
echo "CPU time by $([ "$use_perf" = 1 ] && echo "perf stat task-clock" || echo "getrusage user + system (no perf)")"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %16s %16s %8s\n' pair "--no-normalize ms" "normalised ms" extra
plain_sum=0
norm_sum=0
plain_min=
norm_min=
for ((i = 1; i <= pairs; i++)); do
  plain=$(cpu_ms --no-normalize)
  norm=$(cpu_ms)
  plain_sum=$((plain_sum + plain))
  norm_sum=$((norm_sum + norm))
  [ -z "$plain_min" ] || [ "$plain" -lt "$plain_min" ] && plain_min=$plain
  [ -z "$norm_min" ] || [ "$norm" -lt "$norm_min" ] && norm_min=$norm
  printf '%-6s %16s %16s %7s%%\n' "$i" "$plain" "$norm" \
    "$(awk -v a="$norm" -v b="$plain" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }')"
done
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
percent() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%+.1f", (a / b - 1) * 100 }'; }
echo "All pairs: $(percent "$norm_sum" "$plain_sum")% CPU for normalising;" \
  "least of each side: $(percent "$norm_min" "$plain_min")% (target: at most +3%)"

# The batch as the MP3 runs render it (22050 Hz stereo), not normalised.
TMPDIR=$work/tmp "$bin/tonalbox-convert" -q --soundfont "$soundfont" --format wav --wav-rate 22050 \
  --wav-channels stereo --no-normalize --output-dir "$work/wav" --overwrite "$work/midi" >/dev/null
own=$("$bin/bench_normalizer" "$work"/wav/*.wav)
echo "$own"
memory=$(echo "$own" | sed -n 's/.*normalising \([0-9]*\) ms CPU in memory.*/\1/p')
file=$(echo "$own" | sed -n 's/.* \([0-9]*\) ms in the file.*/\1/p')
echo "The normaliser's own CPU over the least --no-normalize run ($plain_min ms):" \
  "$(percent "$((plain_min + memory))" "$plain_min")% in memory, $(percent "$((plain_min + file))" "$plain_min")% in the file"
