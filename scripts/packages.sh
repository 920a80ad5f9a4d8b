# Sourced by run.sh and test.sh: installs the Debian packages the build needs, when missing.
# Quiet when everything is present; uses sudo only when not already root.

tarnwick_packages=(
  cmake ninja-build g++ pkg-config ccache
  libswe-dev swe-basic-data
  libgtest-dev libcli11-dev
  qt6-base-dev qt6-svg-dev fonts-liberation
  locales
  desktop-file-utils appstream groff-base dpkg-dev file
  # Time zones, calendars, the independent readers of calendars and PDF pages in the tests.
  libhowardhinnant-date-dev tzdata libical-dev python3-icalendar poppler-utils
)
# Only for the checked builds (./test.sh --sanitize, --fuzz): clang with its sanitizer
# run-times and libFuzzer.
tarnwick_checked_packages=(clang-14 libclang-rt-14-dev)

tarnwick_ensure_packages() {
  local missing=() p
  for p in "${tarnwick_packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Tarnwick needs these Debian packages: ${missing[*]}" >&2
      echo "Install them as root: apt-get install ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing Debian packages: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# tarnwick_build DIR [-DNAME=VALUE...] [--target T...]: configures when needed and builds
# everything, or only the targets named.
tarnwick_build() {
  local dir=$1; shift
  local targets=()
  local i
  for ((i = 1; i <= $#; i++)); do
    if [ "${!i}" = --target ]; then
      targets=("${@:i+1}")
      set -- "${@:1:i-1}"
      break
    fi
  done
  local configure=0 def
  if [ ! -f "$dir/build.ninja" ]; then
    configure=1
  else
    # A tree configured before keeps its cache; it is configured again only when one of the
    # -DNAME=VALUE settings asked for now differs from it (-Werror for CI, off otherwise).
    for def in "$@"; do
      if [[ $def =~ ^-D([A-Za-z_]+)=(.*)$ && ${BASH_REMATCH[1]} != CMAKE_* ]] &&
         ! grep -qx "${BASH_REMATCH[1]}:[A-Z]*=${BASH_REMATCH[2]}" "$dir/CMakeCache.txt"; then
        configure=1
      fi
    done
  fi
  if [ $configure = 1 ]; then
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  fi
  # --quiet keeps compiler output (warnings, errors) and drops the progress lines; an
  # up-to-date tree prints nothing at all.
  local status=0
  cmake --build "$dir" ${targets[@]:+--target "${targets[@]}"} -- --quiet 2>&1 | grep -v '^ninja: no work to do\.$' || status=${PIPESTATUS[0]}
  return "$status"
}
