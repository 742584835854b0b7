#!/usr/bin/env bash
# The manual pages against the programs: every option quorvex-capture's usage
# names is in quorvex-capture(1), in its synopsis and its OPTIONS, and every
# option those name is one the program takes; the show's options (read from
# its source: it has no --help) are those of quorvex(6); and the end the page
# gives a capture is where the program ends it with the show's own track.
# Usage: man_pages.sh CAPTURE CAPTURE_PAGE SHOW_PAGE SHOW_SOURCE DATA_DIR
# shellcheck source=SCRIPTDIR/common.sh
source "$(dirname "$0")/common.sh"
capture=$quorvex
capture_page=${2:?} show_page=${3:?} show_source=${4:?} data=${5:?}

# section PAGE NAME: the roff lines of one .SH section.
section() { awk -v name="$2" '/^\.SH / {on = ($2 == name); next} on' "$1"; }
# options: the option names in roff text on standard input, one a line, sorted.
options() { sed 's/\\-/-/g' | grep -oE -- '(^|[^a-zA-Z0-9-])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[^-]*//' | sort -u; }
# tagged PAGE: the options OPTIONS describes (the tag line after each .TP).
tagged() { section "$1" OPTIONS | awk 'tag {print; tag = 0} /^\.TP/ {tag = 1}' | options; }
# same WHAT EXPECTED ACTUAL: the two lists must match.
same() { diff <(echo "$2") <(echo "$3") >"$scratch/diff" || fail "$1 (< expected, > found): $(tr '\n' ' ' <"$scratch/diff")"; }

help=$("$capture" --help) || fail "quorvex-capture --help fails"
[ "$("$capture" -h)" = "$help" ] || fail "quorvex-capture -h is not --help"
usage=$(options <<<"$help")
[ -n "$usage" ] || fail "no options in quorvex-capture --help: $help"
same "quorvex-capture(1)'s synopsis against --help" "$usage" "$(section "$capture_page" SYNOPSIS | options)"
same "quorvex-capture(1)'s OPTIONS against --help and -h" "$(printf '%s\n' "$usage" -h --help | sort -u)" \
  "$(tagged "$capture_page")"

# The parser itself: each option the page names is known to it. Two unknown
# words after it make every run an argument error, so nothing is captured.
"$capture" --no-such-option 2>"$scratch/err" && fail "quorvex-capture took --no-such-option"
grep -q "unknown option '--no-such-option'" "$scratch/err" || fail "unknown options are reported as: $(cat "$scratch/err")"
while read -r option; do
  case $option in -h | --help) continue ;; esac
  if "$capture" "$option" --no-such-option --no-such-option 2>"$scratch/err" >/dev/null; then
    fail "quorvex-capture $option --no-such-option --no-such-option succeeded"
  fi
  if grep -q "unknown option '$option'" "$scratch/err"; then
    fail "quorvex-capture(1) names $option, which the program does not take"
  fi
done < <(tagged "$capture_page")

# The show compares its arguments with string literals; those are its options.
show=$(grep -oE 'argv\[[0-9]+\], *"-[^"]*"' "$show_source" | sed 's/.*"\(.*\)"/\1/' | sort -u)
[ -n "$show" ] || fail "no options found in $show_source"
same "quorvex(6)'s synopsis against the show" "$show" "$(section "$show_page" SYNOPSIS | options)"
same "quorvex(6)'s OPTIONS against the show" "$show" "$(tagged "$show_page")"

# The end: the program says where it is when asked to start past it.
"$capture" --data "$data" --from 2147483647 >/dev/null 2>"$scratch/err" && fail "a capture from 2147483647 ms succeeded"
end_ms=$(sed -n "s/.*past the show's end at \([0-9]*\) ms.*/\1/p" "$scratch/err")
[ -n "$end_ms" ] || fail "no end in: $(cat "$scratch/err")"
to=$(section "$capture_page" OPTIONS | awk '/^\.TP/ {on = 0} /^\.BI \\-\\-to / {on = 1} on')
page_end=$(grep -oE '[0-9]+(\.[0-9]+)? s\)' <<<"$to" | head -n 1 | cut -d' ' -f1)
[ -n "$page_end" ] || fail "quorvex-capture(1)'s --to gives no end in seconds"
decimals=$(awk -v e="$page_end" 'BEGIN {n = index(e, "."); print n ? length(e) - n : 0}')
program_end=$(awk -v ms="$end_ms" -v d="$decimals" 'BEGIN {printf "%.*f", d, ms / 1000}')
[ "$page_end" = "$program_end" ] ||
  fail "quorvex-capture(1) ends the show at $page_end s, the program at $end_ms ms"
echo "man pages: ok ($(wc -l <<<"$usage") capture options, $(wc -l <<<"$show") of the show's, the end at $page_end s)"
