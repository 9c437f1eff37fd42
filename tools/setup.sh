#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: installs the Debian packages the
# project needs (only those that are missing) and configures + builds BUILD_DIR.
# Usage: source tools/setup.sh; scrivolux_setup BUILD_DIR [extra cmake args...]
set -euo pipefail

SCRIVOLUX_PACKAGES=(
    build-essential cmake pkg-config scdoc
    qt6-base-dev libjpeg62-turbo-dev
    libzip-dev libpoppler-cpp-dev libmd4c-dev libxml2-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    pocketsphinx-en-us wamerican-insane wbritish-insane libespeak-ng-dev
    xvfb xauth
    fonts-liberation2
    python3-dev pybind11-dev
)

# Used only by the Python module's tests (test.sh): dask.distributed for the
# cluster test, pyphen for the pure-Python comparison.
SCRIVOLUX_PYTHON_PACKAGES=(
    python3-distributed python3-pyphen python3-pandas
    python3-venv python3-pip python3-setuptools python3-wheel python3-pybind11
)

# Used only by the packaging test (packaging/package_test.sh), which test.sh runs.
SCRIVOLUX_PACKAGING_PACKAGES=(
    dpkg-dev file lintian appstream desktop-file-utils man-db bash-completion
)

scrivolux_install_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

scrivolux_setup() {
    local build_dir=$1
    shift
    scrivolux_install_packages "${SCRIVOLUX_PACKAGES[@]}"
    local jobs
    jobs=$(nproc 2>/dev/null || echo 2)
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$build_dir" -j "$jobs"
}
