#!/usr/bin/env bash
# Builds the Debian package orvelline_<version>_<arch>.deb from the sources in
# a clean build folder, with Debian's hardening flags, runs lintian on it and
# validates the menu entry and AppStream metadata it installs. The package
# lands in the build folder (default build-deb); its path is the last line
# printed.
#
# Usage: scripts/make-deb.sh [BUILD_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-deb}
build=$(realpath -m "$build")

# The tools dpkg-shlibdeps and CPack's file type detection need, and lintian.
"$source_dir/scripts/install-deps.sh" dpkg-dev file lintian

# A clean build; the fresh systems check-deb.sh keeps in CODENAME-check stay.
# A folder that holds anything else is no build folder, and is left alone.
if [[ -d $build ]]; then
  if [[ ! -f $build/CMakeCache.txt ]] && [[ -n $(find "$build" -mindepth 1 -maxdepth 1 ! -name '*-check') ]]; then
    echo "$build is not a build folder: not cleaning it" >&2
    exit 1
  fi
  find "$build" -mindepth 1 -maxdepth 1 ! -name '*-check' -exec rm -rf --one-file-system {} +
fi
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DORV_TESTS=OFF -DORV_BENCH=OFF -DORV_DEB_DOCS=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >cpack.log) || { cat "$build/cpack.log"; exit 1; }

shopt -s nullglob
packages=("$build"/orvelline_*.deb)
[[ ${#packages[@]} -eq 1 ]] || { echo "expected one package in $build, found ${#packages[@]}" >&2; exit 1; }
package=${packages[0]}

dpkg-deb --field "$package" Package Version Architecture Depends Recommends

# Errors fail the build; warnings are shown.
echo "== lintian"
lintian --fail-on error --allow-root --display-info "$package"

echo "== The menu entry and the AppStream metadata as the package installs them"
unpacked="$build/unpacked"
rm -rf "$unpacked"
dpkg-deb -x "$package" "$unpacked"
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$unpacked"
echo "$package"
