#!/usr/bin/env bash
# Times the whole scrivolux-cli process (word list loading included) against
# GNU style (Debian package diction) on the same 3.5 MB of English prose: the
# GPL version 3 text repeated 100 times, under the classic and the careful
# counting rules. Prints the medians, their ratios and the peak resident memory
# of scrivolux-cli.
#
# Usage: bench/cli_vs_style.sh [BUILD_DIR]     (default: build)
# Goals: at least 12 times faster than style (aim: 15), at most 64 MB peak RSS;
# the careful rules at most 1.5 times the classic ones and still at least 10
# times faster than style.
set -euo pipefail

build_dir=${1:-build}
cli="$build_dir/bin/scrivolux-cli"
runs=${RUNS:-7}
license=/usr/share/common-licenses/GPL-3

need=()
command -v style >/dev/null || need+=(diction)
command -v hyperfine >/dev/null || need+=(hyperfine)
[ -x /usr/bin/time ] || need+=(time)
[ -f "$license" ] || need+=(base-files)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
if [ ! -x "$cli" ]; then
    echo "cli_vs_style: $cli is missing; build it first: cmake --build $build_dir --target scrivolux-cli" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
text="$work/gpl3x100.txt"
for _ in $(seq 100); do cat "$license"; done >"$text"
echo "input: $(wc -c <"$text") bytes, $(wc -w <"$text") words"

# Both outputs go to /dev/null; hyperfine runs each command without a shell.
hyperfine --style basic --warmup 1 --runs "$runs" -N \
    --export-json "$work/times.json" \
    -n scrivolux-cli "$cli --unknown=zero $text" \
    -n careful "$cli --unknown=zero --rules=careful $text" \
    -n style "style $text" >"$work/hyperfine.txt" 2>&1 || {
    cat "$work/hyperfine.txt" >&2
    exit 1
}

python3 - "$work/times.json" <<'EOF'
import json, statistics, sys
results = {r["command"]: r["times"] for r in json.load(open(sys.argv[1]))["results"]}
cli = statistics.median(results["scrivolux-cli"])
style = statistics.median(results["style"])
print(f"median scrivolux-cli: {cli * 1000:8.1f} ms   ({len(results['scrivolux-cli'])} runs)")
print(f"median style:         {style * 1000:8.1f} ms   ({len(results['style'])} runs)")
print(f"ratio:                {style / cli:8.2f} x   (goal: at least 12)")
careful = statistics.median(results["careful"])
print(f"median --rules=careful: {careful * 1000:6.1f} ms   ({len(results['careful'])} runs)")
print(f"careful / classic:    {careful / cli:8.2f} x   (goal: at most 1.5)")
print(f"style / careful:      {style / careful:8.2f} x   (goal: at least 10)")
EOF

peak_kb=$(/usr/bin/time -f "%M" "$cli" --unknown=zero "$text" 2>&1 >/dev/null | tail -1)
echo "peak RSS scrivolux-cli: $((peak_kb / 1024)) MB ($peak_kb KB; goal: at most 64 MB)"
