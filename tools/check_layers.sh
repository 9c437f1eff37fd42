#!/usr/bin/env bash
# Fails when a folder includes a header of a folder above it. The libraries link
# in the same direction, so most such includes would also fail to link; this
# catches the ones that only use inline code or types.
#
#   tools/check_layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A allowed=(
    [text]="text"
    [dictionary]="text dictionary"
    [analysis]="text dictionary analysis"
    [checks]="text dictionary analysis checks"
    [report]="text dictionary analysis checks report"
    [image]="text image"
    [settings]="text settings"
    [resources]="resources"
    [documents]="text documents"
    [forms]="text dictionary analysis checks report image settings resources documents forms"
    [cli]="text dictionary analysis checks report documents cli"
    [python]="text dictionary analysis checks report documents python"
)

status=0
for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS=: read -r file line include; do
        used=${include#*\"}
        used=${used%%/*}
        if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
            echo "$file:$line: $folder/ may not include $used/ (${include})"
            status=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '^#include "[a-z]+/' "$folder" || true)
done
[ $status -eq 0 ] && echo "includes run one way: text <- dictionary <- analysis <- checks <- report <- {forms, cli, python}"
exit $status
