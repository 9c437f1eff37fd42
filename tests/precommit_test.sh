#!/usr/bin/env bash
# The pre-commit hook declared at the root, run by pre-commit try-repo on a new
# git repository, offline, with the built scrivolux-cli first on the PATH: it
# passes an easy file and fails a hard one, naming the file and its grade.
# Usage: precommit_test.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source_dir=$1
bin_dir=$2
if ! command -v pre-commit >/dev/null; then
    echo "SKIP: pre-commit is not installed (tools/setup.sh installs it for the tests)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PRE_COMMIT_HOME=$work/cache HOME=$work PATH=$bin_dir:$PATH
export GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.org
export GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.org

# try-repo takes the hook from a repository: a copy of the one file it needs.
hooks=$work/hooks
mkdir -p "$hooks"
cp "$source_dir/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" init -q
git -C "$hooks" add .pre-commit-hooks.yaml
git -C "$hooks" commit -q -m hooks

repo=$work/docs
mkdir -p "$repo"
git -C "$repo" init -q
# The grade comes from the repository's own configuration.
printf 'max-grade = 12\n' >"$repo/.scrivolux.toml"
printf '# Start\n\nThe cat sat. The dog ran.\n' >"$repo/easy.md"
printf 'int main() { return 0; }\n' >"$repo/main.c"
git -C "$repo" add .scrivolux.toml easy.md main.c

run() {
    (cd "$repo" && pre-commit try-repo "$hooks" scrivolux --all-files) >"$work/out" 2>&1
}
if ! run; then
    echo "FAIL: the hook failed on an easy file"
    cat "$work/out"
    exit 1
fi

hard=""
for _ in $(seq 15); do hard+="happy rabbit garden water "; done
printf '# Hard\n\nThe cat sat. %s.\n' "${hard^}" >"$repo/hard.md"
git -C "$repo" add hard.md
if run; then
    echo "FAIL: the hook passed a hard file"
    cat "$work/out"
    exit 1
fi
for expected in "hard.md:1:1: grade " "hard.md:3:14: sentence grade " \
    "2 files checked, 1 above grade 12 (consensus)"; do
    if ! grep -qF "$expected" "$work/out"; then
        echo "FAIL: the hook's output lacks '$expected'"
        cat "$work/out"
        exit 1
    fi
done
if grep -qF "main.c" "$work/out"; then
    echo "FAIL: the hook read a C file"
    cat "$work/out"
    exit 1
fi
echo "pre-commit hook: passes an easy file, fails a hard one"
