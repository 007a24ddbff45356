#!/usr/bin/env bash
# Tries the Debian package on a fresh system: a minimal root of the Debian
# release the package was built on (scripts/debian-root.sh), the package
# installed there with apt as a user would, then, as an ordinary user of that
# system, `orvelline-midi info` on a song,
# `orvelline-midi render` of the song to a WAV file that must hold sound, and
# `orvelline` started under Xvfb until its main window is mapped. Last the
# package is purged and nothing of it may be left.
#
# Needs root (debootstrap, chroot, mount) and the network (the Debian mirror
# this machine's apt uses, or ORV_DEBIAN_MIRROR). The pristine root is kept
# as a tar file in the work folder, so that a second run starts from the same
# fresh system without downloading it again; remove it to start over.
#
# Usage: scripts/check-deb.sh [PACKAGE.deb] [WORK_DIR]
#   PACKAGE.deb defaults to the one in build-deb/, built by make-deb.sh when
#   missing; WORK_DIR defaults to build-deb/CODENAME-check (bookworm-check for
#   a package built on Debian 12, trixie-check on 13).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
package=${1:-}
work=${2:-}
source "$source_dir/scripts/debian-root.sh"

debian_root_need_root
if [[ -z $package ]]; then
  shopt -s nullglob
  found=("$source_dir"/build-deb/orvelline_*.deb)
  shopt -u nullglob
  if [[ ${#found[@]} -eq 0 ]]; then
    "$source_dir/scripts/make-deb.sh"
    found=("$source_dir"/build-deb/orvelline_*.deb)
  fi
  package=${found[0]}
fi
package=$(realpath "$package")
[[ -f $package ]] || { echo "no package $package" >&2; exit 1; }

# The release the package was built on, which its version names (~deb13);
# without one, this machine's, where make-deb.sh built it.
number=$(dpkg-deb --field "$package" Version | sed -n 's/.*~deb\([0-9]\+\).*/\1/p')
[[ -n $number ]] || number=$(. /etc/os-release && echo "${VERSION_ID:-}")
codename=$(debian_root_codename "$number") || { echo "no Debian release to check $package on (built on \"$number\")" >&2; exit 1; }
work=$(realpath -m "${work:-$source_dir/build-deb/$codename-check}")

user=$root_user
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
step() { echo "== $*"; }

debian_root_make "$codename" "$work"

# What the fresh system holds, to compare with what is left after the purge.
# Logs, caches, apt's lists and the user's own files are not the package's,
# nor what systemd (a dependency of a dependency) keeps after its own purge:
# the machine's id, /etc/mtab and its state folders.
snapshot() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./dev -o -path ./tmp -o -path ./var/log -o -path ./var/cache \
    -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path "./home/$user" -o -path ./root -o -path ./run \
    -o -path ./etc/machine-id -o -path ./etc/mtab -o -path ./var/lib/private -o -path ./var/lib/systemd \) -prune -o -print) | sort
}
snapshot >"$work/before.txt"

step "apt-get install ./$(basename "$package")"
cp "$package" "$root/tmp/"
if ! in_root apt-get install -y -q "./tmp/$(basename "$package")" >"$work/install.log" 2>&1; then
  tail -n 30 "$work/install.log"
  echo "FAIL: the package does not install" >&2
  exit 1
fi
tail -n 3 "$work/install.log"
rm -f "$root/tmp/$(basename "$package")"
in_root dpkg-query -L orvelline >"$work/files.txt"
for file in /usr/bin/orvelline /usr/bin/orvelline-midi /usr/share/applications/io.github.orvelline.Orvelline.desktop \
  /usr/share/metainfo/io.github.orvelline.Orvelline.metainfo.xml /usr/share/man/man1/orvelline-midi.1.gz \
  /usr/share/man/man1/orvelline.1.gz /usr/share/icons/hicolor/scalable/apps/io.github.orvelline.Orvelline.svg; do
  [[ -f $root$file ]] || fail "the package installs no $file"
done

# A short song in a format 0 Standard MIDI File: a program change and three
# notes of a quarter note each at 96 ticks per quarter.
song=$root/home/$user/song.mid
{
  printf 'MThd\0\0\0\6\0\0\0\1\0\140'
  printf 'MTrk\0\0\0\43'
  printf '\0\300\111'
  printf '\0\220\74\144\140\200\74\100'
  printf '\0\220\100\144\140\200\100\100'
  printf '\0\220\103\144\140\200\103\100'
  printf '\0\377\57\0'
} >"$song"
chown --reference="$root/home/$user" "$song"

step "orvelline-midi info"
if info=$(as_user orvelline-midi info "/home/$user/song.mid" 2>&1); then
  echo "$info"
  grep -Eq '^Format: +0$' <<<"$info" || fail "orvelline-midi info does not show format 0"
  grep -Eq '^Division: +96 ' <<<"$info" || fail "orvelline-midi info does not show 96 ticks per quarter note"
else
  echo "$info"
  fail "orvelline-midi info exits with failure"
fi

step "orvelline-midi render"
wav=$root/home/$user/song.wav
if as_user orvelline-midi render "/home/$user/song.mid" "/home/$user/song.wav"; then
  if [[ $(head -c 4 "$wav") != RIFF || $(dd if="$wav" bs=1 skip=8 count=4 status=none) != WAVE ]]; then
    fail "the rendered file is no WAV file"
  else
    # The loudest 16-bit sample after the 44-byte header: silence, or the
    # synth's dither of a bit or two, stays far below this.
    peak=$(od -An -v -td2 -j44 "$wav" | awk '{ for (i = 1; i <= NF; i++) { v = $i < 0 ? -$i : $i; if (v > m) m = v } } END { print m + 0 }')
    echo "$(stat -c %s "$wav") bytes, peak sample $peak"
    [[ $peak -ge 300 ]] || fail "the rendered WAV file is silent (peak $peak)"
  fi
else
  fail "orvelline-midi render exits with failure"
fi

step "orvelline under Xvfb"
# The display server and the window lister belong to the check, not to the package.
in_root apt-get install -y -q --no-install-recommends xvfb x11-utils >"$work/xvfb.log" 2>&1 \
  || { tail -n 20 "$work/xvfb.log"; echo "xvfb does not install" >&2; exit 1; }
# X servers listen on abstract sockets too, which a chroot shares with this
# machine: the display must be free here as well.
display=7
while [[ -e /tmp/.X11-unix/X$display ]] || grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix; do
  display=$((display + 1))
done
# Started as a simple command, so that $! is the server itself.
chroot "$root" env -i PATH=/usr/bin:/bin Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb-server.log" 2>&1 &
xvfb_pid=$!
# A loaded machine may take a while; a server that quit will not come.
for _ in $(seq 300); do
  [[ -S $root/tmp/.X11-unix/X$display ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.2
done
if [[ ! -S $root/tmp/.X11-unix/X$display ]]; then
  cat "$work/xvfb-server.log"
  fail "Xvfb did not start"
fi
chroot --userspec="$(user_ids)" "$root" env -i PATH=/usr/bin:/bin HOME="/home/$user" LANG=C.UTF-8 DISPLAY=":$display" \
  orvelline >"$work/orvelline.log" 2>&1 &
program_pid=$!
window=
for _ in $(seq 60); do
  window=$(as_user env DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "O r v e l l i n e".*/\1/p' | head -n 1)
  if [[ -n $window ]] && as_user env DISPLAY=":$display" xwininfo -id "$window" | grep -q 'Map State: IsViewable'; then
    break
  fi
  window=
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 1
done
if [[ -n $window ]]; then
  as_user env DISPLAY=":$display" xwininfo -id "$window" | sed -n 's/^xwininfo: \(Window id.*\)/\1/p; s/^ *\(Width\|Height\): */  \1 /p'
else
  cat "$work/orvelline.log"
  # A message box in place of the window says what stopped it.
  as_user env DISPLAY=":$display" xwininfo -root -tree 2>/dev/null | grep -i orvelline || true
  fail "no Orvelline window showed within a minute"
fi
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
stop_root_processes

step "apt-get purge orvelline"
in_root apt-get purge -y -q orvelline xvfb x11-utils >"$work/purge.log" 2>&1 || fail "apt-get purge fails"
in_root apt-get autoremove --purge -y -q >>"$work/purge.log" 2>&1 || fail "apt-get autoremove fails"
tail -n 2 "$work/purge.log"
status=$(in_root dpkg-query -W -f='${db:Status-Status}' orvelline 2>/dev/null || true)
[[ -z $status || $status == not-installed ]] || fail "dpkg still knows orvelline as $status"
while read -r file; do
  [[ $file == /. ]] && continue
  if [[ -e $root$file ]] && ! grep -qxF ".$file" "$work/before.txt"; then
    fail "left after the purge: $file"
  fi
done <"$work/files.txt"
snapshot >"$work/after.txt"
if ! diff -u "$work/before.txt" "$work/after.txt" >"$work/left.diff"; then
  if grep -q '^+[^+]' "$work/left.diff"; then
    grep '^+[^+]' "$work/left.diff" | sed 's/^+/left after the purge: /'
    fail "files the fresh system did not have are left (see $work/left.diff)"
  fi
fi
left=$(cd "$root" && find . -xdev \( -path ./proc -o -path ./tmp -o -path "./home/$user" \) -prune -o -iname '*orvelline*' -print)
[[ -z $left ]] || fail "left after the purge: $left"

if [[ $failures -ne 0 ]]; then
  echo "$failures check(s) failed; the root is kept in $root"
  exit 1
fi
remove_root
echo "The package installs, runs and purges cleanly on a fresh Debian $codename."
