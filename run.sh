#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tarnwick. Without a display it runs the
# headless runner instead.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

tarnwick_ensure_packages
tarnwick_build build
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/tarnwick "$@"
fi
exec build/bin/tarnwick-cli "$@"
