# Sourced by the packaging tests: runs an installed tarnwick-cli as an ordinary user would.
#   as_user HOME_DIR COMMAND...   runs COMMAND with HOME=HOME_DIR and no XDG variables; under
#                                 root as the user "nobody" (so that nothing can be written
#                                 outside the user's own folders), else as the caller
#   check_only_user_files ROOT HOME_DIR BEFORE_LIST
#                                 fails when a file appeared under ROOT outside
#                                 HOME_DIR/.local/share/tarnwick and HOME_DIR/.config/tarnwick

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
