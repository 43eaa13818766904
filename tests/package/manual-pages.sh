#!/usr/bin/env bash
# Every option a program's --help shows is in its manual page, every option the page lists as an
# item is one the program has, and groff reads the page without a warning.
#   manual-pages.sh PAGE_DIR EXECUTABLE...   (PAGE_DIR holds <program>.1 or <program>.1.gz)
set -euo pipefail
pages=$1
shift
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Options as words: -x or --word after the start of a line, a blank, [ , | or (.
options() { grep -oE '(^|[][ ,|(])--?[A-Za-z][A-Za-z0-9-]*' | sed -E 's/^[][ ,|(]//' | sort -u; }

for exe in "$@"; do
  program=$(basename "$exe")
  page=$pages/$program.1
  [ -f "$page" ] || page=$page.gz
  [ -f "$page" ] || { fail "$program has no manual page in $pages"; continue; }
  source=$(gzip -dcf "$page")
  warnings=$(groff -k -man -ww -z -Tutf8 <<<"$source" 2>&1)
  [ -z "$warnings" ] || fail "$program.1: groff says: $warnings"
  # The page's text with roff's minus signs and font changes taken out.
  text=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' <<<"$source")
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --help) || fail "$program --help ended with $?"
  for option in $(options <<<"$help"); do
    grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)" <<<"$text" ||
      fail "$program.1 does not mention $option of --help"
  done
  # The first line of each .TP item names the options it describes.
  for option in $(awk 'item { print; item = 0 } /^\.TP/ { item = 1 }' <<<"$text" | options); do
    grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)" <<<"$help" ||
      fail "$program.1 describes $option, which $program --help does not show"
  done
done
exit $failed
