# A fresh Debian system to try the program on: a minimal root of a Debian
# release made by debootstrap, with an ordinary user, for the checks that run
# as root (scripts/check-deb.sh, scripts/check-release.sh). Source this file,
# then:
#   debian_root_need_root           stops the caller unless it runs as root
#   debian_root_codename NUMBER     the codename of Debian NUMBER (12, 13)
#   debian_root_make CODENAME WORK  makes WORK/root afresh, mounts what it
#       needs and reads the release's package lists; the pristine root is kept
#       as WORK/CODENAME-minbase.tar, so that a second run starts from the same
#       fresh system without downloading it again (remove it to start over),
#       and the packages apt downloads are kept in WORK/apt-archives
#   debian_root_bind DIR POINT      makes host folder DIR the root's POINT
#   in_root COMMAND...              runs a command as the root's superuser
#   as_user COMMAND...              and as its user ($root_user)
#   remove_root                     removes the root, when nothing is mounted there
# Every process started inside the root is stopped and everything mounted
# there unmounted however the caller ends (an EXIT trap of this file's own).
#
# Needs root (debootstrap, chroot, mount) and the network (the Debian mirror
# this machine's apt uses, or ORV_DEBIAN_MIRROR).

root_user=player
root=
root_mounts=()

debian_root_need_root()
{
    if [[ $(id -u) -ne 0 ]]; then
        echo "$(basename "$0") needs root (debootstrap, chroot and mount)" >&2
        exit 1
    fi
}

debian_root_codename()
{
    case $1 in
    12) echo bookworm ;;
    13) echo trixie ;;
    *) return 1 ;;
    esac
}

# The mirror this machine's apt reads Debian from, in either sources format.
debian_root_mirror()
{
    local url
    url=$(sed -n 's/^URIs:[[:space:]]*\(http[^[:space:]]*\/debian\)\/\{0,1\}$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
    [[ -n $url ]] || url=$(sed -n 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\{0,1\}\(http[^[:space:]]*\/debian\)\/\{0,1\}[[:space:]].*/\2/p' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | head -n 1)
    echo "${url:-http://deb.debian.org/debian}"
}

# Only what this file mounted is unmounted, the last mounted first; the root is
# removed only when nothing is mounted inside it any more, and never across a
# mount point.
unmount_all()
{
    local i point
    for ((i = ${#root_mounts[@]} - 1; i >= 0; i--)); do
        point=$root/${root_mounts[i]}
        if mountpoint -q "$point" 2>/dev/null; then
            umount "$point" || umount -l "$point"
        fi
    done
    root_mounts=()
}

remove_root()
{
    stop_root_processes
    unmount_all
    if [[ -d $root ]] && findmnt -rn -o TARGET | grep -q "^$root/"; then
        echo "something is still mounted under $root: not removing it" >&2
        return 1
    fi
    rm -rf --one-file-system "$root"
}

# Every process started inside the root (and only those: no other process
# lives there); they keep its mounts busy.
stop_root_processes()
{
    [[ -n $root ]] || return 0
    local pid found=0
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        if [[ $(readlink "/proc/$pid/root" 2>/dev/null) == "$root" ]]; then
            kill "$pid" 2>/dev/null && found=1
        fi
    done
    if [[ $found -eq 1 ]]; then sleep 1; fi
}

debian_root_finish()
{
    local status=$?
    stop_root_processes
    unmount_all
    exit "$status"
}
trap debian_root_finish EXIT

debian_root_mount()  # <mount arguments...> <point inside the root>
{
    local point=${*: -1}
    root_mounts+=("$point")
    mount "${@:1:$#-1}" "$root/$point"
}

debian_root_bind()
{
    mkdir -p "$root/$2"
    debian_root_mount --bind "$1" "$2"
}

user_ids() { awk -F: -v name="$root_user" '$1 == name { print $3 ":" $4 }' "$root/etc/passwd"; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
# By number: the names are the root's, not this machine's.
as_user() { chroot --userspec="$(user_ids)" "$root" env -i PATH=/usr/bin:/bin HOME="/home/$root_user" LANG=C.UTF-8 "$@"; }

debian_root_make()
{
    local codename=$1 work=$2
    local mirror=${ORV_DEBIAN_MIRROR:-$(debian_root_mirror)}
    local pristine=$work/$codename-minbase.tar
    debian_root_need_root
    "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" debootstrap
    root=$work/root
    echo "== A fresh Debian $codename root from $mirror"
    mkdir -p "$work" "$work/apt-archives"
    remove_root
    if [[ ! -f $pristine ]]; then
        debootstrap --variant=minbase "$codename" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 \
            || { tail -n 20 "$work/debootstrap.log"; echo "debootstrap failed" >&2; exit 1; }
        tar -C "$root" -cf "$pristine.part" . && mv "$pristine.part" "$pristine"
    else
        mkdir -p "$root"
        tar -C "$root" -xpf "$pristine"
    fi
    debian_root_mount -t proc proc proc
    debian_root_mount -t tmpfs -o mode=1777 shm dev/shm
    debian_root_bind "$work/apt-archives" var/cache/apt/archives
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    printf 'deb %s %s main\ndeb %s %s-updates main\n' "$mirror" "$codename" "$mirror" "$codename" >"$root/etc/apt/sources.list"
    # No service starts inside the root: nothing runs there that could stop it.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    in_root useradd --create-home --shell /bin/bash "$root_user"
    # The root has no sound card: ALSA's null device stands in for one, so that
    # the built-in synth opens as it would on a desktop.
    printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$root/home/$root_user/.asoundrc"
    chown --reference="$root/home/$root_user" "$root/home/$root_user/.asoundrc"
    in_root apt-get update -qq
}
