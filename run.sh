#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
scrivolux_setup build

exe=build/bin/scrivolux
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the desktop program cannot open a window."
    echo "Alternatives:"
    echo "  xvfb-run -a $exe            # run it on a virtual X display"
    echo "  build/bin/scrivolux-cli FILE   # analyse text files in the terminal"
    exit 1
fi
exec "$exe" "$@"
