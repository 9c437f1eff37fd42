#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
scrivolux_setup build

exe=build/bin/scrivolux
if [ ! -x "$exe" ]; then
    echo "Built the core library and the tools in build/; the desktop program is not part of this build yet."
    exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
    echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the desktop program cannot open a window."
    echo "Alternatives:"
    echo "  xvfb-run -a $exe            # run it on a virtual X display"
    if [ -x build/bin/scrivolux-cli ]; then
        echo "  build/bin/scrivolux-cli FILE   # analyse text files in the terminal"
    fi
    exit 1
fi
exec "$exe" "$@"
