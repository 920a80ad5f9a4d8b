#!/usr/bin/env bash
# The manual page and the bash completion against `tarnwick-cli --help`: both list exactly
# the options --help lists (none missing, none stale), the page renders without a warning,
# and every body name the completion offers is one tarnwick-cli takes.
#   manual_and_completion_test.sh TARNWICK_CLI PACKAGING_SOURCE_DIR
set -euo pipefail
cli=$1 src=$2
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# Option names from --help: the first field of each option line ("  -s,--txtStartDate,--start TEXT").
help_options=$("$cli" --help | sed -n '/^Options:/,/^$/p' | grep -E '^  -' |
               awk '{print $1}' | tr ',' '\n' | sort -u)
count=$(wc -l <<<"$help_options")
[ "$count" -ge 40 ] || fail "only $count options read from --help; has its layout changed?"

# Option names in the page's OPTIONS section: the tags (.B, .BR, .BI lines), "\-" unescaped.
page=$src/tarnwick-cli.1
page_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH EXIT/p' "$page" | grep -E '^\.B[IR]? ' |
               grep -oE '(^|[ "])(\\-)+[A-Za-z0-9_]+(\\-[A-Za-z0-9_]+)*' | tr -d ' "' |
               sed 's/\\-/-/g' | sort -u)
missing=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
stale=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
[ -z "$missing" ] || fail "options of --help missing from the manual page:" $missing
[ -z "$stale" ] || fail "options in the manual page that --help does not list:" $stale

warnings=$(groff -man -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"

# The completion's options: what it offers after a lone "-".
source "$src/tarnwick-cli.bash-completion"
complete_words() { COMP_WORDS=(tarnwick-cli "$@"); COMP_CWORD=$#; _tarnwick_cli; printf '%s\n' "${COMPREPLY[@]}"; }
completion_options=$(complete_words - | sort -u)
missing=$(comm -23 <(echo "$help_options") <(echo "$completion_options"))
stale=$(comm -13 <(echo "$help_options") <(echo "$completion_options"))
[ -z "$missing" ] || fail "options of --help the completion does not offer:" $missing
[ -z "$stale" ] || fail "options the completion offers that --help does not list:" $stale

# Body names: all 26 offered, each taken by tarnwick-cli (26 distinct names that all parse
# are the 26 bodies), completed after a comma or a range dash too.
names=$(complete_words --p1 '' | grep -vx -e all -e none)
[ "$(sort -u <<<"$names" | wc -l)" -eq 26 ] || fail "the completion offers $(wc -l <<<"$names") body names, not 26"
if ! out=$("$cli" --bodies --p1 "$(paste -sd, <<<"$names")" 2>&1 >/dev/null); then
  fail "tarnwick-cli refuses a body name the completion offers: $out"
fi
# word typed so far | offers expected, in the completion's order
while IFS='|' read -r typed want; do
  got=$(complete_words --p2 "$typed" | paste -sd' ')
  [ "$got" = "$want" ] || fail "--p2 '$typed' completes to '$got', expected '$want'"
done <<'ROWS'
ch|Chiron Chariklo
0-9,c|0-9,Chiron 0-9,Ceres 0-9,Chariklo
Sun-Pl|Sun-Pluto
tl|tLilith
xyz|
a|all Astraea Asc
Sun,m|Sun,Moon Sun,Mercury Sun,Mars Sun,MnNode Sun,mLilith Sun,MC
Sun-m|Sun-Moon Sun-Mercury Sun-Mars Sun-MnNode Sun-mLilith
ROWS
[ "$(complete_words --c1 '' | paste -sd' ')" = "g h" ] || fail "--c1 does not offer g and h"
[ "$(complete_words --c3 '' | paste -sd' ')" = "g h n" ] || fail "--c3 does not offer g, h and n"
[ "$(complete_words --grid15 '' | paste -sd' ')" = "0 1" ] || fail "--grid15 does not offer 0 and 1"

echo "$count options in --help, the manual page and the completion; 26 body names"
exit $failed
