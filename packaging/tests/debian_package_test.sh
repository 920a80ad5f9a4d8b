#!/usr/bin/env bash
# Builds the Debian package with `cpack -G DEB`, checks that it depends on the Debian packages
# the programs need at run time and holds the installed layout, unpacks it into a throwaway
# root (dpkg -x) and runs the unpacked /usr/bin/tarnwick-cli there as an ordinary user.
#   debian_package_test.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/user_run.sh"

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack could not build the package" >&2
  exit 1
fi
deb=$(echo "$tmp"/out/tarnwick_*.deb)
[ -f "$deb" ] || { echo "FAIL: no tarnwick_*.deb in $tmp/out" >&2; ls "$tmp/out" >&2; exit 1; }
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# The Swiss Ephemeris library and its data, Qt's widgets, the report's font, the C++ run-time.
names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for p in libswe2.0 swe-basic-data libqt6widgets6 libqt6gui6 libqt6core6 fonts-liberation libstdc++6 libc6; do
  grep -qxF "$p" <<<"$names" || { echo "FAIL: Depends lacks $p" >&2; exit 1; }
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/tarnwick ./usr/bin/tarnwick-cli ./usr/lib/tarnwick/tarnwick-formats.so ./usr/share/tarnwick/help.txt \
         ./usr/share/applications/org.tarnwick.Tarnwick.desktop \
         ./usr/share/man/man1/tarnwick-cli.1.gz ./usr/share/bash-completion/completions/tarnwick-cli; do
  grep -qxF "$f" <<<"$contents" || { echo "FAIL: the package lacks $f" >&2; exit 1; }
done

root=$tmp/root
mkdir -p "$root/home"
dpkg -x "$deb" "$root"
home=$root/home
before=$tmp/before.txt
find "$root" -xdev | sort >"$before"

runs_for_a_user "$root/usr/bin/tarnwick-cli" "$home"
check_only_user_files "$root" "$home" "$before"
echo "nothing written outside the user's XDG folders"
