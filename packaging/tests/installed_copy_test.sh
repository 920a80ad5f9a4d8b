#!/usr/bin/env bash
# Installs the build into a fresh prefix (`cmake --install BUILD --prefix DIR`), moves the
# prefix elsewhere (no path of the build or of the first prefix may matter), and runs the
# installed tarnwick-cli there as an ordinary user: the body table, a short report saved in
# the user's XDG data folder, and the ephemeris search path of an installed copy.
#   installed_copy_test.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/user_run.sh"

# The test's own files stay in $tmp; $root holds what the user and the program may touch.
root=$tmp/root
mkdir "$root"
cmake --install "$build" --prefix "$root/first/usr" >/dev/null
mv "$root/first" "$root/tree"
prefix=$root/tree/usr home=$root/home
mkdir "$home"

id=org.tarnwick.Tarnwick
expected=(bin/tarnwick bin/tarnwick-cli lib/tarnwick/tarnwick-formats.so share/tarnwick/help.txt
  share/applications/$id.desktop share/metainfo/$id.metainfo.xml
  share/icons/hicolor/scalable/apps/$id.svg share/man/man1/tarnwick-cli.1.gz
  share/bash-completion/completions/tarnwick-cli)
for size in 16 24 32 48 64 128 256; do expected+=(share/icons/hicolor/${size}x$size/apps/$id.png); done
for f in "${expected[@]}"; do
  [ -e "$prefix/$f" ] || { echo "FAIL: not installed: $f" >&2; exit 1; }
done
echo "installed: ${#expected[@]} files under $prefix"
# The metadata with the desktop entry and icons it names, as software centres read them.
if ! out=$(appstreamcli validate-tree --no-net "$root/tree" 2>&1); then
  echo "$out" >&2
  echo "FAIL: appstreamcli validate-tree on the installed tree" >&2
  exit 1
fi

before=$tmp/before.txt
find "$root" -xdev | sort >"$before"

runs_for_a_user "$prefix/bin/tarnwick-cli" "$home"
grep -q 'g. Sun      g. Moon     12/09/2007 12:40' "$tmp/report.txt" ||
  { echo "FAIL: the report lacks the New Moon of 9 December 2007:" >&2; cat "$tmp/report.txt" >&2; exit 1; }

# Outside the years of Debian's files the library names the folders it searched: the
# user's own ephe/ first, then Debian's, and never the shared bin/.
note=$(as_user "$home" "$prefix/bin/tarnwick-cli" --bodies --start 01/01/1700 --end 01/02/1700 | sed -n 3p)
want="PATH '$home/.local/share/tarnwick/ephe:/usr/share/libswe/ephe/'"
grep -qF "$want" <<<"$note" || { echo "FAIL: expected $want in: $note" >&2; exit 1; }
echo "ephemeris search path: $want"

# Without its formats module the runner still searches and prints; only the pages are refused,
# with the reason, and nothing is written.
rm "$prefix/lib/tarnwick/tarnwick-formats.so"
if as_user "$home" "$prefix/bin/tarnwick-cli" --start 12/01/2007 --end 12/02/2007 --no-save --format pdf \
     >"$tmp/none.pdf" 2>"$tmp/notices.txt" || [ -s "$tmp/none.pdf" ] ||
   ! grep -q "^tarnwick-cli: --format pdf: the formats module could not be loaded: tarnwick-formats.so is neither in" "$tmp/notices.txt"; then
  echo "FAIL: a missing formats module was not told:" >&2; cat "$tmp/notices.txt" >&2; exit 1
fi
as_user "$home" "$prefix/bin/tarnwick-cli" --start 12/01/2007 --end 12/02/2007 --no-save >/dev/null 2>&1 ||
  { echo "FAIL: the runner needs its formats module for a plain report" >&2; exit 1; }
echo "without the formats module: plain reports run, PDF pages refused with the reason"

check_only_user_files "$root" "$home" "$before"
echo "nothing written outside $home/.local/share/tarnwick"
