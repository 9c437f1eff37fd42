#!/usr/bin/env bash
# Installs what is missing, builds and runs every test through ctest.
#
#   ./test.sh              the ordinary build, in build/
#   ./test.sh --sanitize   every test again under AddressSanitizer and
#                          UndefinedBehaviorSanitizer, in build-sanitize/;
#                          any report, a leak included, fails the run
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    sed -n '2,7s/^# \{0,1\}//p' "$0"
}

sanitize=false
case "${1:-}" in
"") ;;
--sanitize) sanitize=true ;;
-h | --help)
    usage
    exit 0
    ;;
*)
    usage >&2
    exit 2
    ;;
esac

source tools/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)

if ! $sanitize; then
    scrivolux_setup build
    scrivolux_install_packages "${SCRIVOLUX_PACKAGING_PACKAGES[@]}" "${SCRIVOLUX_PYTHON_PACKAGES[@]}"
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    exit 0
fi

# Benchmarks measure nothing useful when instrumented, so they are left out.
scrivolux_setup build-sanitize -DSCRIVOLUX_SANITIZE=ON -DSCRIVOLUX_BUILD_BENCH=OFF

# A report must fail the test that caused it, never just scroll past: stop at
# the first one with a non-zero exit. The suppressions cover leaks inside Qt's
# and the system's own libraries only, never a frame of ours.
export ASAN_OPTIONS="halt_on_error=1:exitcode=86:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=87"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0"
cd build-sanitize
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
