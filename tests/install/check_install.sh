#!/usr/bin/env bash
# Installs the build as a user would (`cmake --install BUILD --prefix PREFIX`)
# and as a packager would (DESTDIR), then checks the installed tree: both
# programs, a valid menu entry that starts the installed program, the icon,
# the AppStream metadata, a manual page of orvelline that renders cleanly and
# one of orvelline-midi that also covers every command and option of its
# `--help`. Needs no display and no network; a missing appstreamcli or
# man/groff skips only that check.
#
# Usage: check_install.sh CMAKE BUILD_DIR DESKTOP_ID BINDIR DATADIR MANDIR
set -uo pipefail
cmake=$1 build=$2 id=$3 bindir=$4 datadir=$5 mandir=$6

scratch=$(mktemp -d)
# Every install rewrites the build's list of installed files; the user's list
# of their own install is put back.
manifest="$build/install_manifest.txt"
[[ -f $manifest ]] && cp -p "$manifest" "$scratch/manifest"
restore_manifest() {
  if [[ -f $scratch/manifest ]]; then cp -p "$scratch/manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$scratch"
}
trap restore_manifest EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
note() { echo "note: $*"; }

# Characters a shell or a menu would trip over: the menu entry must quote them.
prefix="$scratch/my apps \$HOME"
in_prefix() { if [[ $1 == /* ]]; then echo "$1"; else echo "$prefix/$1"; fi; }

if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  cat "$scratch/install.log"
  echo "FAIL: cmake --install into $prefix"
  exit 1
fi

program=$(in_prefix "$bindir")/orvelline
tool=$(in_prefix "$bindir")/orvelline-midi
entry=$(in_prefix "$datadir")/applications/$id.desktop
svg=$(in_prefix "$datadir")/icons/hicolor/scalable/apps/$id.svg
png=$(in_prefix "$datadir")/icons/hicolor/256x256/apps/$id.png
metainfo=$(in_prefix "$datadir")/metainfo/$id.metainfo.xml
manual=$(in_prefix "$mandir")/man1/orvelline-midi.1
program_manual=$(in_prefix "$mandir")/man1/orvelline.1

for file in "$program" "$tool" "$entry" "$svg" "$png" "$metainfo" "$manual" "$program_manual"; do
  [[ -f $file ]] || fail "not installed: $file"
done
for file in "$program" "$tool"; do
  [[ -x $file ]] || fail "not executable: $file"
done
[[ $failures -eq 0 ]] || exit 1

# The programs run from their installed place: the tool answers, and the
# window program (which needs a display to run) finds every library it links.
help=$("$tool" --help) || fail "installed orvelline-midi --help exits with $?"
[[ $help == "Usage: orvelline-midi "* ]] || fail "installed orvelline-midi --help prints no usage"
# Both programs tell their one version, and the window program answers
# --help and --version without a display.
tool_version=$("$tool" --version) || fail "installed orvelline-midi --version exits with $?"
program_version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version) || fail "installed orvelline --version exits with $?"
[[ $tool_version =~ ^orvelline-midi\ [0-9]+\.[0-9]+ ]] || fail "orvelline-midi --version prints '$tool_version'"
[[ ${program_version#orvelline } == "${tool_version#orvelline-midi }" ]] || fail "orvelline --version prints '$program_version', orvelline-midi '$tool_version'"
program_help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --help) || fail "installed orvelline --help exits with $?"
[[ $program_help == "Usage: orvelline "* ]] || fail "installed orvelline --help prints no usage"
if missing=$(ldd "$program" 2>&1 | grep 'not found'); then
  fail "installed orvelline lacks libraries: $missing"
fi

# The menu entry.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
else
  fail "desktop-file-validate is missing (package desktop-file-utils)"
fi
value() { sed -n "s/^$1=//p" "$entry"; }
# Exec, decoded as a launcher does: the key file's escapes, then the quoting.
exec_line=$(value Exec)
# A file manager passes the file it opens with the entry through the %f field code.
[[ $exec_line == *" %f" ]] || fail "Exec=$exec_line takes no file (%f)"
exec_line=${exec_line% %f}
command_path=${exec_line//\\\\/\\}
if [[ $command_path == \"*\" ]]; then
  command_path=$(printf '%s' "${command_path:1:${#command_path}-2}" | sed 's/\\\(.\)/\1/g')
fi
[[ $command_path == "$program" ]] || fail "Exec=$exec_line starts '$command_path', not the installed $program"
[[ $(value Icon) == "$id" ]] || fail "Icon=$(value Icon), not $id"
[[ $(value Categories) == "AudioVideo;Audio;Midi;" ]] || fail "Categories=$(value Categories)"
[[ $(value MimeType) == "audio/midi;audio/x-midi;" ]] || fail "MimeType=$(value MimeType)"
for keyword in theremin MIDI instrument; do
  [[ ";$(value Keywords)" == *";$keyword;"* ]] || fail "Keywords lack $keyword"
done

# The AppStream metadata names the menu entry and both programs.
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches no $id.desktop"
for binary in orvelline orvelline-midi; do
  grep -q "<binary>$binary</binary>" "$metainfo" || fail "metainfo does not provide $binary"
done
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate rejects $metainfo"
  # The tree check also finds the menu entry the metadata names.
  appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli validate-tree rejects $prefix"
else
  note "appstreamcli is missing (package appstream): AppStream metadata not validated"
fi

# The icon: a 256 x 256 PNG and an SVG document.
signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
[[ $signature == 89504e470d0a1a0a ]] || fail "$png is not a PNG"
size=$(od -An -tu1 -j16 -N8 "$png" | awk '{ printf "%dx%d", (($1*256+$2)*256+$3)*256+$4, (($5*256+$6)*256+$7)*256+$8 }')
[[ $size == 256x256 ]] || fail "$png is $size, not 256x256"
grep -q '<svg xmlns="http://www.w3.org/2000/svg"' "$svg" || fail "$svg is not an SVG document"

# The manual: renders without warnings and names every command and option the
# tool's own help lists.
render=()
if command -v man >/dev/null; then
  render=(env LC_ALL=C MANWIDTH=80 man --warnings -l)
elif command -v groff >/dev/null; then
  render=(env LC_ALL=C groff -man -Tascii -ww)
fi
if [[ ${#render[@]} -gt 0 ]]; then
  "${render[@]}" "$manual" >"$scratch/manual.txt" 2>"$scratch/manual.warnings" || fail "the manual does not render"
  if [[ -s $scratch/manual.warnings ]]; then
    fail "the manual renders with warnings:"
    cat "$scratch/manual.warnings"
  fi
  text=$(sed 's/.\x08//g' "$scratch/manual.txt")
  commands=$(printf '%s\n' "$help" | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p')
  options=$(printf '%s\n' "$help" | grep -o -- '--[a-z][a-z-]*' | sort -u)
  [[ $(wc -w <<<"$commands") -ge 7 ]] || fail "found only these commands in --help: $commands"
  for word in $commands $options; do
    grep -q -- "$word" <<<"$text" || fail "the manual does not mention $word"
  done
  "${render[@]}" "$program_manual" >/dev/null 2>"$scratch/program_manual.warnings" || fail "the manual of orvelline does not render"
  if [[ -s $scratch/program_manual.warnings ]]; then
    fail "the manual of orvelline renders with warnings:"
    cat "$scratch/program_manual.warnings"
  fi
  exit_section=$(awk '/^EXIT STATUS/ { inside = 1; next } /^[^ ]/ { inside = 0 } inside' <<<"$text")
  for status in 0 1 2 130; do
    grep -Eq "^ +$status( |$)" <<<"$exit_section" || fail "the manual gives no exit status $status"
  done
else
  note "neither man nor groff is installed: the manual not rendered"
fi

# A packager's staged install: everything lands under DESTDIR, and the menu
# entry names the program where it will finally live.
stage="$scratch/stage"
if DESTDIR="$stage" "$cmake" --install "$build" --prefix /usr >"$scratch/stage.log" 2>&1; then
  staged_bindir=$bindir
  [[ $staged_bindir == /* ]] || staged_bindir=/usr/$bindir
  staged_datadir=$datadir
  [[ $staged_datadir == /* ]] || staged_datadir=/usr/$datadir
  staged_entry="$stage$staged_datadir/applications/$id.desktop"
  if [[ -f $staged_entry ]]; then
    grep -qx "Exec=$staged_bindir/orvelline %f" "$staged_entry" || fail "staged Exec is $(grep '^Exec=' "$staged_entry")"
  else
    fail "staged install put no $staged_entry"
  fi
else
  cat "$scratch/stage.log"
  fail "cmake --install with DESTDIR"
fi

if [[ $failures -ne 0 ]]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "The installed tree is complete and valid."
