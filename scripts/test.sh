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
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
QT_QPA_PLATFORM=offscreen "$build/app/tavero" --self-test
# The camera suite records with a synthetic camera: no display, camera or
# sound server is needed. Its recordings stay in a folder of their own.
camera_folder=$(mktemp -d)
QT_QPA_PLATFORM=offscreen "$build/app/tavero" --camera-pipeline-test "$camera_folder"
rm -rf "$camera_folder"
