#!/usr/bin/env bash
# Runs a command in a clean clone of this repository on a brand-new minimal
# Debian 12 (nothing but apt, git and ca-certificates), as a new user's machine
# would run it: what the set-up scripts forget to install fails here.
#
#   tools/fresh-machine.sh [--commit REV] [--share DIR] [--] [COMMAND...]
#
#   --commit REV  the commit to clone (default: HEAD of this checkout)
#   --share DIR   DIR of this machine is mounted at /share in the new root, to
#                 bring files in or take them out
#   COMMAND       what to run in the clone, as root with CI=true (default: ./test.sh)
#
# Needs root. The minimal root is made with mmdebstrap (installed when missing)
# and kept as a tarball in $SCRIVOLUX_ROOT_CACHE (default
# /var/cache/scrivolux/fresh-root), reused only while its Debian point release
# is the one the mirror serves. Nothing of the project is ever cached: every run
# unpacks a new root, and the command installs and builds what it needs. The
# root and its mounts are removed when the run ends, failed or not. The output
# goes to the terminal and to a log, whose place is printed at the end.
set -euo pipefail

usage() {
    sed -n '6,11s/^# \{0,1\}//p' "$0"
}

commit=HEAD
share=
while [ $# -gt 0 ]; do
    case "$1" in
    --commit) commit=${2:?--commit needs a revision}; shift 2 ;;
    --share) share=$(cd "${2:?--share needs a folder}" && pwd); shift 2 ;;
    -h | --help) usage; exit 0 ;;
    --) shift; break ;;
    -*) usage >&2; exit 2 ;;
    *) break ;;
    esac
done
[ $# -gt 0 ] || set -- ./test.sh
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine.sh: run as root (it makes a root with mmdebstrap and chroots into it)" >&2; exit 2; }

repo=$(cd "$(dirname "$0")/.." && pwd)
revision=$(git -C "$repo" rev-parse --verify "$commit^{commit}")
cache_dir=${SCRIVOLUX_ROOT_CACHE:-/var/cache/scrivolux/fresh-root}
log_dir=${SCRIVOLUX_FRESH_LOG_DIR:-/var/tmp}
mkdir -p "$cache_dir" "$log_dir"
log=$(mktemp "$log_dir/scrivolux-fresh-machine.XXXXXX.log")
echo "fresh-machine.sh: log in $log"
exec > >(tee -a "$log") 2>&1

# The machine's own package sources (deb822 files, or else one-line lists).
sources() {
    if ls /etc/apt/sources.list.d/*.sources >/dev/null 2>&1; then
        cat /etc/apt/sources.list.d/*.sources
    else
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | grep -E '^[[:space:]]*deb[[:space:]]'
    fi
}

# The point release that the mirror serves now ("12.12"), read from the index
# that apt has just fetched; the machine's own release when the index has none.
served_release() {
    local release
    release=$(grep -h -m1 '^Version:' /var/lib/apt/lists/*_dists_bookworm_InRelease 2>/dev/null | head -n1 | cut -d' ' -f2)
    echo "${release:-$(cat /etc/debian_version)}"
}

apt-get update -qq >/dev/null || echo "fresh-machine.sh: apt-get update failed; using the package lists at hand"
command -v mmdebstrap >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null

tarball=$cache_dir/bookworm-minimal.tar
release=$(served_release)
if [ ! -s "$tarball" ] || [ "$(cat "$tarball.release" 2>/dev/null)" != "$release" ]; then
    echo "fresh-machine.sh: making a minimal Debian $release root"
    rm -f "$tarball" "$tarball.release"
    sources | mmdebstrap --quiet --format=tar --variant=apt --include=ca-certificates,git \
        bookworm "$tarball.part" - || { rm -f "$tarball.part"; exit 1; }
    mv "$tarball.part" "$tarball"
    echo "$release" >"$tarball.release"
fi

root=$(mktemp -d /var/tmp/scrivolux-fresh-root.XXXXXX)
cleanup() {
    local m
    for m in share dev sys proc; do
        mountpoint -q "$root/$m" 2>/dev/null && umount -R -l "$root/$m"
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

tar -xf "$tarball" -C "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --rbind /dev "$root/dev" # with /dev/pts and /dev/shm, which multiprocessing needs
mount --make-rslave "$root/dev"
if [ -n "$share" ]; then
    mkdir -p "$root/share"
    mount --bind "$share" "$root/share"
fi

git clone -q --no-local --no-checkout "$repo" "$root/src/scrivolux"
git -C "$root/src/scrivolux" checkout -q --detach "$revision"

echo "fresh-machine.sh: running '$*' on $(git -C "$repo" log -1 --format='%h %s' "$revision")"
SECONDS=0
set +e
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 CI=true \
    bash -c 'cd /src/scrivolux && exec "$@"' run "$@"
status=$?
set -e
echo "fresh-machine.sh: '$*' on a new Debian $release exited $status after ${SECONDS}s (log: $log)"
exit $status
