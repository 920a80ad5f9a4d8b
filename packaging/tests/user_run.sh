# Sourced by the packaging tests: runs an installed tarnwick-cli as an ordinary user would.
#   $tmp                          the test's scratch folder, removed at exit
#   as_user HOME_DIR COMMAND...   runs COMMAND with HOME=HOME_DIR and no XDG variables; under
#                                 root as the user "nobody" (so that nothing can be written
#                                 outside the user's own folders), else as the caller
#   runs_for_a_user CLI HOME_DIR  the body table (26 bodies, every one computed) and a short
#                                 report of December 2007, saved in HOME_DIR's XDG data
#                                 folder; its lines in $tmp/report.txt; the same report as
#                                 PDF pages, drawn by the module the runner loads for them
#   check_only_user_files ROOT HOME_DIR BEFORE_LIST
#                                 fails when a file appeared under ROOT outside
#                                 HOME_DIR/.local/share/tarnwick and HOME_DIR/.config/tarnwick

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"  # the user "nobody" reaches the files under it

as_user() {
  local home=$1; shift
  local run=(env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" "$@")
  if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    chown -R nobody "$home"
    runuser -u nobody -- "${run[@]}"
  else
    "${run[@]}"
  fi
}

check_only_user_files() {
  local root=$1 home=$2 before=$3 stray
  stray=$(find "$root" -xdev | sort | comm -13 "$before" - |
          grep -v -e "^$home/.local/share/tarnwick\(/\|$\)" -e "^$home/.config/tarnwick\(/\|$\)" \
                  -e "^$home/.local/share$" -e "^$home/.local$" -e "^$home/.config$" || true)
  if [ -n "$stray" ]; then
    echo "FAIL: files written outside the user's XDG folders:" >&2
    echo "$stray" >&2
    return 1
  fi
}

runs_for_a_user() {
  local cli=$1 home=$2 table rows
  table=$(as_user "$home" "$cli" --bodies)
  rows=$(grep -c '^[0-9]' <<<"$table")
  if [ "$rows" -ne 26 ] || grep -q unavailable <<<"$table"; then
    echo "FAIL: $cli --bodies:" >&2; echo "$table" >&2; return 1
  fi
  echo "$cli --bodies: 26 bodies"
  as_user "$home" "$cli" --start 12/01/2007 --end 12/10/2007 --triple 0 --p1 Sun --p2 0-9 \
    >"$tmp/report.txt" 2>"$tmp/notices.txt"
  if ! grep -q "^Saved $home/.local/share/tarnwick/data/" "$tmp/notices.txt"; then
    echo "FAIL: the report was not saved in the user's data folder:" >&2; cat "$tmp/notices.txt" >&2; return 1
  fi
  echo "report: $(grep -c '^g\.' "$tmp/report.txt") lines, saved in the user's XDG data folder"
  as_user "$home" "$cli" --start 12/01/2007 --end 12/10/2007 --triple 0 --p1 Sun --p2 0-9 --no-save \
    --format pdf >"$tmp/report.pdf" 2>"$tmp/notices.txt" || true
  if [ "$(head -c 5 "$tmp/report.pdf")" != "%PDF-" ]; then
    echo "FAIL: $cli --format pdf gave no PDF:" >&2; cat "$tmp/notices.txt" >&2; return 1
  fi
  echo "report as PDF pages: $(stat -c %s "$tmp/report.pdf") bytes"
}
