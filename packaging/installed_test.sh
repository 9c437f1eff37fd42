#!/usr/bin/env bash
# Installs the built packages on a new machine with apt, as a user would, and
# uses them: whatever the packages fail to depend on is missing there. Meant for
# a brand-new root (tools/fresh-machine.sh runs it in one); it changes the
# machine it runs on.
#
#   packaging/installed_test.sh DIR    DIR holds scrivolux_*.deb and python3-scrivolux_*.deb
set -euo pipefail

dir=$(cd "${1:?usage: packaging/installed_test.sh DIR}" && pwd)
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# Recommends left out: what the program needs must be in Depends.
apt-get install -y -qq --no-install-recommends "$dir"/scrivolux_*.deb "$dir"/python3-scrivolux_*.deb >/dev/null
echo "installed: $(dpkg-query -W -f='${Package} ${Version}, ' scrivolux python3-scrivolux)"
echo "scrivolux Depends: $(dpkg-query -W -f='${Depends}' scrivolux)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'The cat sat on the mat. Readability matters to every teacher.\n' >"$work/text.txt"
if report=$(scrivolux-cli --unknown=zero "$work/text.txt" 2>&1); then
    grep -qx "Total Number of Words: 11" <<<"$report" || fail "scrivolux-cli counts: $report"
else
    fail "scrivolux-cli exited with $?: $report"
fi

module=$(cd "$work" && /usr/bin/python3 -c '
import scrivolux
report = scrivolux.analyse(open("text.txt").read(), unknown="zero")
print(report["counts"]["words"], report["counts"]["syllables"])' 2>&1) || true
[ "$module" = "11 19" ] || fail "the installed Python module gives: $module"

# The desktop program on a real X server: it must still be running after a few
# seconds, not stopped for want of a platform plugin or a library.
apt-get install -y -qq --no-install-recommends xvfb xauth fontconfig >/dev/null
set +e
HOME=$work xvfb-run -a timeout 8 scrivolux >"$work/gui.log" 2>&1
status=$?
set -e
[ $status -eq 124 ] || fail "scrivolux stopped with status $status: $(cat "$work/gui.log")"

face=$(fc-match "MS Sans Serif")
[[ $face == *'"Liberation Sans"'* ]] || fail "fc-match \"MS Sans Serif\" gives $face"

if [ $failures -gt 0 ]; then
    echo "$failures installed-package check(s) failed"
    exit 1
fi
echo "installed-package checks passed"
