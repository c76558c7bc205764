#!/bin/sh
# Every option that "tonalbox-convert --help" lists is in its manual page.
# Usage: man_lists_every_option.sh PROGRAM MANPAGE
set -eu
program=$1
page=$2
options=$("$program" --help | grep -E '^ +-' |
  grep -oE -- '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | sort -u)
[ -n "$options" ] || { echo "no options in --help" >&2; exit 1; }
# The rendered page, wide enough that no option is broken across lines.
text=$(LC_ALL=C MANWIDTH=250 man -l "$page" | col -b)
missing=0
for option in $options; do
  if ! printf '%s\n' "$text" | grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)"; then
    echo "not in $page: $option" >&2
    missing=1
  fi
done
[ $missing -eq 0 ] && echo "$(printf '%s\n' "$options" | wc -l) options, all in the page"
exit $missing
