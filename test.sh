#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

tarnwick_ensure_packages
tarnwick_build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
