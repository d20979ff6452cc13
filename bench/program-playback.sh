#!/usr/bin/env bash
# The real program playing a 1080p take, one or more builds of it in the
# same run, each in a session of its own (bench/program-session.sh): an X
# server with openbox, a session bus with the accessibility bus and a
# PulseAudio server with a null output.
#
#   bench/program-playback.sh build/app/tavero [other/app/tavero...] [--seconds 20] [--runs 1]
#
# The video is made once for the run: FFmpeg's testsrc2 at 1920×1080 and 30
# pictures a second (H.264, yuv420p) with a 440 Hz AAC tone, --seconds plus
# 10 s long. The program opens it in its video workspace, as `tavero v.mp4`
# does, at its window's own size; "播放" is pressed through AT-SPI, and over
# --seconds from a second later it reads the program's CPU time (utime +
# stime of the whole process, from /proc) against the wall clock, its peak
# resident memory over the span and its threads at the end; then "暂停" is
# pressed and the position its time label shows is read. Prints one table, with ranges over the
# runs, the core count and the load.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

span=20

shows_label() { screen_reader_acts_state label "$1"; }
screen_reader_acts_state() {
  [[ $(printf 'attach\t%s\nstate\t%s\t%s\n' "$program_pid" "$1" "$2" |
    /usr/bin/python3 "$bench_folder/../tests/support/screen_reader.py" 2>/dev/null | tail -n 1) == ok* ]]
}
play_enabled() {
  [[ $(printf 'attach\t%s\nstate\tpush button\t播放\n' "$program_pid" |
    /usr/bin/python3 "$bench_folder/../tests/support/screen_reader.py" 2>/dev/null | tail -n 1) == *enabled* ]]
}

# The "m:ss" the time label shows as the position, looked for from `from`
# seconds down; "?" when none of them.
shown_position() {
  local length=$1 from=$2 second
  for ((second = from; second >= 0; second--)); do
    if shows_label "$(printf '%d:%02d / %d:%02d' $((second / 60)) $((second % 60)) $((length / 60)) $((length % 60)))"; then
      printf '%d:%02d' $((second / 60)) $((second % 60))
      return
    fi
  done
  echo "?"
}

# Inside the session: "cores peak_MiB threads position" of `program` playing `video`.
play_case() {
  local program=$1 video=$2 length=$3 started ticks ended measured
  trap session_cleanup EXIT
  start_sound_server
  start_accessibility_bus
  session_home=$(mktemp -d)
  HOME=$session_home XDG_CONFIG_HOME=$session_home/.config XDG_DATA_HOME=$session_home/.local/share \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$video" >"$session_home/program.log" 2>&1 &
  program_pid=$!
  session_pids+=("$program_pid")
  wait_for has_window
  wait_for play_enabled
  press "push button" "播放" Press
  sleep 1
  reset_peak "$program_pid"
  started=$(date +%s.%N)
  ticks=$(cpu_ticks "$program_pid")
  sleep "$span"
  ended=$(date +%s.%N)
  measured=$(awk -v started="$started" -v ended="$ended" -v ticks=$(($(cpu_ticks "$program_pid") - ticks)) \
    -v hz="$(ticks_per_second)" -v peak="$(status_kib "$program_pid" VmHWM)" \
    'BEGIN { printf "%.3f %.0f", ticks / hz / (ended - started), peak / 1024 }')
  local threads
  threads=$(thread_count "$program_pid")
  press "push button" "暂停" Press
  echo "$measured $threads $(shown_position "$length" $((span + 3)))"
}

range() {
  awk 'NR == 1 { low = high = $1 } { if ($1 < low) low = $1; if ($1 > high) high = $1 }
       END { if (NR == 0) print "—"; else if (low == high) print low; else print low "–" high }'
}

programs=()
runs=1
while [[ $# -gt 0 ]]; do
  case $1 in
    --seconds) span=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --case) shift; play_case "$@"; exit ;;
    *) programs+=("$1"); shift ;;
  esac
done
[[ ${#programs[@]} -gt 0 ]] || { echo "program-playback: which program?" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
length=$((span + 10))
video=$work/讲解_1080p.mp4
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=$length" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$length" -c:v libx264 -preset veryfast -pix_fmt yuv420p \
  -c:a aac -ac 2 "$video"
results=$work/results
echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
for run in $(seq "$runs"); do
  for index in "${!programs[@]}"; do
    line=$(in_session 1920x1080 "$0" --seconds "$span" --case "${programs[index]}" "$video" "$length") || exit 1
    echo "$index $line" | tee -a "$results"
  done
  echo "load after run $run:$(uptime | sed 's/.*load average://')"
done
echo
echo "| program | CPU while playing (cores) | peak RSS while playing (MiB) | threads | position shown after ${span} s + 1 s |"
echo "|---|---|---|---|---|"
for index in "${!programs[@]}"; do
  row="| ${programs[index]}"
  for column in 2 3 4; do row+=" | $(awk -v i="$index" -v c="$column" '$1 == i { print $c }' "$results" | range)"; done
  echo "$row | $(awk -v i="$index" '$1 == i { print $5 }' "$results" | sort -u | paste -sd / -) |"
done
