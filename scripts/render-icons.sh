#!/usr/bin/env bash
# Renders the program's icon, resources/icons/tonalbox.svg, into the PNG
# files kept next to it: the desktop's 48 and 128 pixel icons and the
# window's 32 and 64 pixel ones. Run after changing the drawing.
set -euo pipefail
icons=$(cd "$(dirname "$0")/../resources/icons" && pwd)
render() { rsvg-convert -w "$1" -h "$1" "$icons/tonalbox.svg" -o "$2"; }
mkdir -p "$icons/hicolor"
for size in 48 128; do render $size "$icons/hicolor/tonalbox_$size.png"; done
for size in 32 64; do render $size "$icons/128_tonalbox_$size.png"; done
