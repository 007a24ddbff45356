#!/usr/bin/env bash
# Installs what is missing, checks the sources' format, builds, and runs every
# test: the normal build (g++), the sanitizer builds (clang: ASan+UBSan, and
# TSan for threaded code), and a short fuzzing run of the file reader. ORV_PACKAGE_CHECK=1 also builds the
# Debian package and tries it on a fresh root of the Debian release it was
# built on (root and network needed).
# The ThreadSanitizer build runs unless ORV_TSAN=0 or --no-tsan is given.
set -euo pipefail
cd "$(dirname "$0")"

run_tsan=${ORV_TSAN:-1}
for arg in "$@"; do
  case $arg in
    --no-tsan) run_tsan=0 ;;
    --tsan) run_tsan=1 ;;
    *) echo "test.sh: unknown option $arg (known: --tsan, --no-tsan)" >&2; exit 2 ;;
  esac
done

./scripts/install-deps.sh

echo "== Every source formatted as .clang-format says"
./scripts/format.sh --check

FUZZ_SECONDS=${FUZZ_SECONDS:-60}
jobs=$(nproc)
werror=ON

# Private sound servers for the tests that play through real ones; stopped by
# process id however this script ends. Those tests skip without them when run
# by hand, but here they were asked for: a server that does not come up fails
# the run rather than leaving its tests skipped.
source scripts/private-audio.sh
private_audio_start "${TMPDIR:-/tmp}/orv-audio-$$"
trap private_audio_stop EXIT
private_audio_require
# The sanitizer builds do not play through them: the sound libraries are not
# built with the sanitizers.
no_servers=(env -u ORV_TEST_PULSE_SERVER -u ORV_TEST_JACK_SERVER)

echo "== Build and test (g++)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_WERROR=$werror >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer (clang)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORV_WERROR=$werror -DORV_SANITIZE=ON -DORV_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" "${no_servers[@]}" ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [[ $run_tsan == 1 ]]; then
  echo "== ThreadSanitizer (clang)"
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DORV_WERROR=$werror -DORV_TSAN=ON -DORV_BENCH=OFF -DORV_APP=OFF >/dev/null
  cmake --build build-tsan -j "$jobs"
  TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp" "${no_servers[@]}" \
    ctest --test-dir build-tsan --output-on-failure -L tsan -j "$jobs"
fi

echo "== Fuzzing the file reader for ${FUZZ_SECONDS} s (clang, libFuzzer)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DORV_WERROR=$werror -DORV_FUZZ=ON -DORV_TESTS=OFF -DORV_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target smf_fuzz smf_seeds
mkdir -p build-fuzz/corpus
./build-fuzz/fuzz/smf_seeds build-fuzz/corpus
./build-fuzz/fuzz/smf_fuzz -max_total_time="$FUZZ_SECONDS" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=256 \
  -print_final_stats=1 build-fuzz/corpus 2>&1 | tail -n 60

if [[ ${ORV_PACKAGE_CHECK:-0} == 1 ]]; then
  echo "== The Debian package: built, checked by lintian, tried on a fresh root of its release"
  ./scripts/make-deb.sh
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  "${as_root[@]}" ./scripts/check-deb.sh
fi

echo "All tests passed."
