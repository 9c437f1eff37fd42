#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
scrivolux_setup build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
