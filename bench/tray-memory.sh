#!/usr/bin/env bash
# Resident memory and CPU time of the real program in the tray, before and
# after full-screen captures taken with Ctrl+Shift+6 through XTEST. The
# editor window each capture opens is closed again with Ctrl+W, so every
# reading is of the program in the tray. Run it on a screen of its own:
#   tests/support/x11-session.sh --size 3840x2160 -- bench/tray-memory.sh build/app/tavero [captures]
set -euo pipefail

program=$1
captures=${2:-10}
home=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$home"' EXIT

HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share "$program" >/dev/null 2>&1 &
pid=$!

rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$pid/status"; }
# Resident memory by kind: anonymous (the heap), files, shared (grab buffers).
rss_kinds() { awk '/^Rss(Anon|File|Shmem)/ { printf "%s %d MiB ", $1, $2 / 1024 }' "/proc/$pid/status"; }
# utime + stime, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
shown() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1; }
wait_for() {
  for _ in $(seq 200); do "$@" && return 0; sleep 0.1; done
  echo "tray-memory: gave up waiting for $*" >&2
  exit 1
}
has_window() { [[ -n $(shown) ]]; }
no_window() { [[ -z $(shown) ]]; }
listed() { [[ -f $home/Desktop/岚帧/index.json ]] && [[ $(grep -o '"file"' "$home/Desktop/岚帧/index.json" | wc -l) -ge $1 ]]; }
# Closes the editor window with its own key, typed as a user would.
to_tray() {
  xdotool windowfocus --sync "$(shown)" key ctrl+w
  wait_for no_window
}
idle_report() {
  local label=$1 before
  sleep 2
  before=$(cpu_ticks)
  sleep 10
  echo "$label: resident $(( $(rss_kib) / 1024 )) MiB ($(rss_kinds)), CPU in 10 s idle $(( $(cpu_ticks) - before )) ticks of 1/$(getconf CLK_TCK) s"
}

wait_for has_window
to_tray
idle_report "in the tray, before the first capture"
for n in $(seq "$captures"); do
  xdotool key ctrl+shift+6
  wait_for listed "$n"
  wait_for has_window
  to_tray
  [[ $n -eq 1 ]] && idle_report "after 1 capture"
done
idle_report "after $captures captures"
