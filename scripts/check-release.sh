#!/usr/bin/env bash
# Runs the README's test command, ./test.sh, on a fresh Debian system: a
# minimal root of the release made by debootstrap (scripts/debian-root.sh),
# the committed sources (HEAD) copied there as a fresh clone would hold them,
# what install-deps.sh installs installed as root, then ./test.sh as the
# root's ordinary user, as CI runs it (CI=true). FUZZ_SECONDS and ORV_TSAN are
# passed on.
#
# ORV_CCACHE_DIR names a folder of this machine kept as the compiler cache of
# the builds in the root, so that a rerun is quick; it is made when missing
# and given to the root's user (so keep it for this alone). Without it every
# build starts cold.
#
# Needs root (debootstrap, chroot, mount) and the network. The root is removed
# after a run that passes and kept for a look after one that fails.
#
# Usage: scripts/check-release.sh [CODENAME] [WORK_DIR]
#   CODENAME is bookworm (Debian 12) or trixie (Debian 13, the default);
#   WORK_DIR defaults to build-release/CODENAME.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
codename=${1:-trixie}
work=$(realpath -m "${2:-$source_dir/build-release/$codename}")
source "$source_dir/scripts/debian-root.sh"

case $codename in
bookworm | trixie) ;;
*) echo "check-release.sh: Debian bookworm or trixie, not \"$codename\"" >&2; exit 2 ;;
esac
debian_root_need_root
commit=$(git -C "$source_dir" rev-parse --short HEAD)
debian_root_make "$codename" "$work"

clone=/home/$root_user/orvelline
echo "== The sources of $commit in $clone"
# format.sh asks git for the sources, so the copy is a repository of its own.
mkdir -p "$root$clone"
git -C "$source_dir" archive HEAD | tar -C "$root$clone" -xf -
chown -R --reference="$root/home/$root_user" "$root$clone"

echo "== What the program and its tests need (install-deps.sh)"
extra=(git)
cache_env=()
if [[ -n ${ORV_CCACHE_DIR:-} ]]; then
    extra+=(ccache)
    mkdir -p "$ORV_CCACHE_DIR"
    debian_root_bind "$(realpath "$ORV_CCACHE_DIR")" var/cache/orv-ccache
    chown --reference="$root/home/$root_user" "$ORV_CCACHE_DIR"
    cache_env=(CCACHE_DIR=/var/cache/orv-ccache CCACHE_BASEDIR="$clone" CCACHE_NOHASHDIR=true
        CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
in_root "$clone/scripts/install-deps.sh" "${extra[@]}" >"$work/install-deps.log" 2>&1 \
    || { tail -n 30 "$work/install-deps.log"; echo "install-deps.sh fails on $codename" >&2; exit 1; }
as_user sh -c "cd $clone && git init -q && git add -A && git -c user.name=check -c user.email=check@localhost commit -qm $commit"

echo "== ./test.sh on $codename"
started=$(date +%s)
status=0
as_user env CI=true "${cache_env[@]}" ${FUZZ_SECONDS:+FUZZ_SECONDS=$FUZZ_SECONDS} \
    ${ORV_TSAN:+ORV_TSAN=$ORV_TSAN} sh -c "cd $clone && ./test.sh" 2>&1 | tee "$work/test.log" || status=$?
minutes=$((($(date +%s) - started + 59) / 60))
if [[ $status -ne 0 ]]; then
    echo "./test.sh fails on a fresh Debian $codename after $minutes min (see $work/test.log; the root is kept in $root)"
    exit 1
fi
remove_root
echo "./test.sh passes on a fresh Debian $codename ($minutes min)."
