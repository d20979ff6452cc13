#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the current
# X display. Arguments are passed to the program (files to open, --demo).
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ -z ${DISPLAY:-} ]]; then
  echo "岚帧 Tavero needs an X11 display, and DISPLAY is not set: run this from a desktop session (or start Xvfb and set DISPLAY)." >&2
  exit 1
fi

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target tavero
exec build/app/tavero "$@"
