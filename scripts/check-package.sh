#!/usr/bin/env bash
# Builds the Debian package of a build tree and checks what it holds: the
# desktop entry and the metainfo pass their validators, both manual pages
# render, the icons and the bash completion are there, and the extracted
# tonalbox-convert converts an example MIDI file with the build tree out of
# the way. Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "Usage: $0 BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
id=org.tonalbox.Tonalbox

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/tonalbox_*.deb | head -n 1)
echo "== $deb"
dpkg-deb -I "$deb"

work=$(mktemp -d)
away=""
cleanup() {
  [ -z "$away" ] || mv "$away" "$build/bin"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libfluidsynth libmp3lame libqt6widgets6 libqt6core6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
usr=$root/usr
desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml"
# The metainfo, the desktop entry it launches and its icons together.
appstreamcli validate-tree --no-net "$root"
for icon in 48x48/apps/$id.png 128x128/apps/$id.png scalable/apps/$id.svg; do
  [ -s "$usr/share/icons/hicolor/$icon" ] || fail "no icon $icon"
done
# Both pages render; the converter's options are under its DESCRIPTION, as
# help2man writes them from the headings of --help.
for page in "tonalbox:OPTIONS" "tonalbox-convert:EXIT STATUS"; do
  name=${page%%:*}
  text=$(LC_ALL=C MANWIDTH=80 man -l "$usr/share/man/man1/$name.1.gz" 2>&1)
  for section in NAME SYNOPSIS DESCRIPTION EXAMPLES "${page#*:}"; do
    grep -q "^$section" <<<"$text" || fail "$name.1 has no $section section"
  done
  grep -q -- "--help" <<<"$text" || fail "$name.1 does not tell of --help"
done

# The example pieces, written while the build tree is still there.
"$build/bin/tonalbox-make-examples" "$work/midi" >/dev/null

# Nothing of the build tree can be found from here on.
away=$build/bin.away-$$
mv "$build/bin" "$away"

"$usr/bin/tonalbox" --version
# The completion offers the options of the extracted program's --help.
completed=$(PATH=$usr/bin:$PATH bash -c "
  source '$usr/share/bash-completion/completions/tonalbox-convert'
  COMP_WORDS=(tonalbox-convert --out); COMP_CWORD=1; _tonalbox_convert; echo \"\${COMPREPLY[*]}\"")
[ "$completed" = "--output-dir" ] || fail "bash completion of --out gave '$completed'"

soundfont=()
[ -f /usr/share/sounds/sf2/TimGM6mb.sf2 ] && soundfont=(--soundfont /usr/share/sounds/sf2/TimGM6mb.sf2)
HOME=$work/home XDG_CONFIG_HOME=$work/config TMPDIR=$work \
  "$usr/bin/tonalbox-convert" -q "${soundfont[@]}" -f mp3 -o "$work/out" "$work/midi/piano.mid"
mp3=$work/out/piano.mp3
[ "$(stat -c %s "$mp3")" -gt 10000 ] || fail "$mp3 is too short"
[ "$(tail -c 128 "$mp3" | head -c 3)" = TAG ] || fail "$mp3 has no tag"
echo "check-package: $(basename "$deb") is fine ($(stat -c %s "$mp3") bytes of MP3 from the extracted converter)"
