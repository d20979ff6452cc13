#!/usr/bin/env bash
# Resident memory, threads and idle CPU time of the real program in the tray:
# at the start, after full-screen captures taken with Ctrl+Shift+6 (the
# editor window each opens is closed again with Ctrl+W), and after a take of
# the whole display and its render (FFmpeg's testsrc2 playing over the whole
# screen; Ctrl+Shift+8, "全屏" and "开始录制" pressed through AT-SPI,
# Ctrl+Shift+8 again; the video workspace the take opens is closed with
# Ctrl+W). Every reading is of the program in the
# tray, once the thread pools' idle threads have ended (30 s).
#   bench/tray-memory.sh build/app/tavero [--size 3840x2160] [--captures 10] [--take 5]
# --take 0 leaves the take out. Runs on an X server of its own with openbox,
# a session bus with the accessibility bus, and a PulseAudio server.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

# Qt's thread pools end a thread after 30 s without work.
settled=32

rss_mib() { echo $(($(status_kib "$program_pid" VmRSS) / 1024)); }
# Resident memory by kind: anonymous (the heap), files, shared (grab buffers).
rss_kinds() { awk '/^Rss(Anon|File|Shmem)/ { printf "%s %d MiB ", $1, $2 / 1024 }' "/proc/$program_pid/status"; }
# The largest holders among the mappings: the heap, anonymous memory, and
# the libraries holding more than 4 MiB.
rss_holders() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = NF >= 6 ? $6 : "anonymous"; sub(/.*\//, "", name) }
       /^Rss:/ { held[name] += $2 }
       END { for (name in held) if (held[name] >= 4096) printf "%s %d MiB, ", name, held[name] / 1024 }' \
    "/proc/$program_pid/smaps" | sed 's/, $//'
}
thread_names() {
  cat /proc/"$program_pid"/task/*/comm | sort | uniq -c | sort -rn | awk '{ n = $1; $1 = ""; printf "%d×%s, ", n, $0 }' |
    sed 's/, $//'
}

report() {
  local label=$1 before
  sleep "$settled"
  before=$(cpu_ticks "$program_pid")
  sleep 10
  echo "$label: resident $(rss_mib) MiB ($(rss_kinds)), $(thread_count "$program_pid") threads," \
    "CPU in 10 s idle $(($(cpu_ticks "$program_pid") - before)) ticks of 1/$(ticks_per_second) s"
  echo "  held by: $(rss_holders)"
  echo "  threads: $(thread_names)"
}

captures_in_tray() {
  local images
  for n in $(seq "$captures"); do
    images=$(listed image)
    xdotool key ctrl+shift+6
    wait_for listed_at_least image $((images + 1))
    wait_for has_window
    to_tray
  done
}

# A take of the whole display showing testsrc2, its join and its render;
# the video workspace that shows it is closed again.
take_in_tray() {
  local videos
  videos=$(listed video)
  start_content "" testsrc2
  start_take
  sleep "$take"
  stop_take
  # The joined take, then the render with the default effects, which a busy
  # machine takes minutes over.
  wait_seconds=600 wait_for listed_at_least video $((videos + 2))
  stop_content
  wait_for has_window
  to_tray
}

run() {
  trap session_cleanup EXIT
  start_sound_server
  start_accessibility_bus
  start_program "$program"
  to_tray
  report "in the tray at the start"
  if [[ $captures -gt 0 ]]; then
    captures_in_tray
    report "after $captures captures"
  fi
  if [[ $take -gt 0 ]]; then
    take_in_tray
    report "after a ${take} s take and its render, the window closed"
  fi
}

program=$1
shift
size=1920x1080
captures=10
take=5
inside=0
while [[ $# -gt 0 ]]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --captures) captures=$2; shift 2 ;;
    --take) take=$2; shift 2 ;;
    --inside) inside=1; shift ;;
    *) echo "tray-memory: unknown option $1" >&2; exit 2 ;;
  esac
done

if [[ $inside == 1 ]]; then
  run
else
  echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
  in_session "$size" "$0" "$program" --captures "$captures" --take "$take" --inside
  echo "load at the end:$(uptime | sed 's/.*load average://')"
fi
