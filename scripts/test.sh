#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# TAVERO_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer
# in a separate build folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

build=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ ${TAVERO_SANITIZE:-0} == 1 ]]; then
  build=build-sanitize
  options+=(-DTAVERO_SANITIZE=ON)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
fi

cmake -S . -B "$build" -G Ninja "${options[@]}"
cmake --build "$build"

# As root, with everything above installed, a test has no reason to skip for
# a missing sound server, session or accessibility bus, mount right or free
# disk: it fails instead (tests/support/SkipUnlessRequired.h).
if [[ $(id -u) -eq 0 ]]; then
  export TAVERO_TESTS_REQUIRE_ALL=${TAVERO_TESTS_REQUIRE_ALL:-1}
fi
# CTest counts a test executable in which only some cases skipped as passed:
# every skipped case is named at the end, however the script ends.
results="$PWD/$build/test-results"
rm -rf "$results"
mkdir -p "$results"
name_skipped_tests() {
  local status=$?
  python3 scripts/skipped-tests.py "$results" || true
  exit "$status"
}
trap name_skipped_tests EXIT
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --output-junit "$results/ctest.xml"
QT_QPA_PLATFORM=offscreen "$build/app/tavero" --self-test
# The camera suite records with a synthetic camera: no display, camera or
# sound server is needed. Its recordings stay in a folder of their own.
camera_folder=$(mktemp -d)
QT_QPA_PLATFORM=offscreen "$build/app/tavero" --camera-pipeline-test "$camera_folder"
rm -rf "$camera_folder"
