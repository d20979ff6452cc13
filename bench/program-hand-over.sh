#!/usr/bin/env bash
# Two files handed over the real program one right after the other, as a
# file manager opening a selection does: a 6000×6000 picture, then a small
# one by a relative name. Each run is a session of its own
# (bench/program-session.sh); the program starts without a file, and once
# its window shows the two later starts run back to back. Prints their exit
# statuses and the seconds from the first start until the status line,
# read through AT-SPI (a look takes a few tenths of a second), names the
# small picture, with the core count and the load.
#
#   bench/program-hand-over.sh build/app/tavero [--runs 3]
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

status_names() {
  [[ $(printf 'attach\t%s\nstate\tfiller\t%s\n' "$program_pid" "$1" |
    /usr/bin/python3 "$bench_folder/../tests/support/screen_reader.py" 2>/dev/null | tail -n 1) == ok* ]]
}

# Inside the session: "big_status small_status seconds" of `program`.
hand_over_case() {
  local program=$1 work=$2 started big small
  trap session_cleanup EXIT
  start_accessibility_bus
  start_program "$program"
  started=$(date +%s.%N)
  big=0 small=0
  (cd "$work" && "$program" "$work/大图.png") || big=$?
  (cd "$work" && "$program" 小图.png) || small=$?
  wait_for status_names "已打开：小图.png"
  echo "$big $small $(awk -v started="$started" -v ended="$(date +%s.%N)" 'BEGIN { printf "%.2f", ended - started }')"
}

runs=1
program=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --case) shift; hand_over_case "$@"; exit ;;
    *) program=$1; shift ;;
  esac
done
[[ -n $program ]] || { echo "program-hand-over: which program?" >&2; exit 2; }
program=$(realpath "$program")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "color=c=0xdc1e28:size=6000x6000" -frames:v 1 "$work/大图.png"
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "color=c=0x1e3cd2:size=900x600" -frames:v 1 "$work/小图.png"
echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
for run in $(seq "$runs"); do
  read -r big small seconds < <(in_session 1920x1080 "$0" --case "$program" "$work")
  echo "run $run: the starts ended with $big and $small; the small picture named after $seconds s"
done
echo "load at the end:$(uptime | sed 's/.*load average://')"
