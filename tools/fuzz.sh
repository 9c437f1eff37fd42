#!/usr/bin/env bash
# Builds one fuzz target with clang and libFuzzer (plus AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs it.
#
#   tools/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   tools/fuzz.sh --list
#
# JOBS=1 limits the build to one compiler process.
#
# The growing corpus is kept in build-fuzz/corpus/TARGET, seeded from
# tests/data/fuzz/TARGET. An input that breaks an invariant or crashes is
# written to build-fuzz/findings/TARGET/; copy it into tests/data/fuzz/TARGET/
# once the fault is fixed, and ctest replays it in every build from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    sed -n '2,13s/^# \{0,1\}//p' "$0"
}

targets() {
    sed -n '/^set(SCRIVOLUX_FUZZ_TARGETS/,/^)/{/^ /s/ //gp}' tests/fuzz/CMakeLists.txt
}

if [ "${1:-}" = "--list" ]; then
    targets
    exit 0
fi
if [ $# -lt 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
    usage >&2
    exit 2
fi
target=$1
seconds=$2
shift 2
if ! targets | grep -qx "$target"; then
    echo "Unknown fuzz target '$target'. Targets: $(targets | tr '\n' ' ')" >&2
    exit 2
fi

source tools/setup.sh
scrivolux_install_packages "${SCRIVOLUX_PACKAGES[@]}" clang-14 libclang-rt-14-dev

cxx=
for candidate in clang++-14 clang++; do
    if command -v "$candidate" >/dev/null; then
        cxx=$candidate
        break
    fi
done
if [ -z "$cxx" ]; then
    echo "No clang++ found although clang is installed." >&2
    exit 1
fi

# Everything is instrumented for coverage and checked by the sanitizers; only
# the fuzz programs link libFuzzer's main.
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="$flags" -DSCRIVOLUX_FUZZ=ON -DSCRIVOLUX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target "fuzz_$target" -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"

corpus=$build/corpus/$target
findings=$build/findings/$target
mkdir -p "$corpus" "$findings"
# Fuzz inputs may load a dictionary or settings file; keep Qt away from the
# real user's files and from any display.
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME=$PWD/$build/home/config XDG_DATA_HOME=$PWD/$build/home/data
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
# Some targets write a scratch file for every input: keep it in memory.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
exec "$build/bin/fuzz_$target" -max_total_time="$seconds" -artifact_prefix="$findings/" \
    -print_final_stats=1 "$@" "$corpus" "tests/data/fuzz/$target"
