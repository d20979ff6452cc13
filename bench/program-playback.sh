#!/usr/bin/env bash
# The real program playing a video, one or more builds of it in the same
# run, each in a session of its own (bench/program-session.sh): an X server
# with openbox, a session bus with the accessibility bus and a PulseAudio
# server with a null output.
#
#   bench/program-playback.sh build/app/tavero [other/app/tavero...] [--video 1080p] [--seconds 20] [--runs 1]
#
# The video is made once for the run: FFmpeg's testsrc2 at 30 pictures a
# second with a 440 Hz AAC tone, --seconds plus 10 s long, as --video says:
#   1080p   1920×1080, H.264 yuv420p (the default)
#   4k10    3840×2160, H.264 High 10 yuv420p10le
#   prores  1920×1080, ProRes 422 yuv422p10le in a .mov
#   8k      7680×4320, H.264 yuv420p (minutes to make)
# The program opens it in its video workspace, as `tavero v.mp4` does, at
# its window's own size; "播放" is pressed through AT-SPI, and over
# --seconds from a second later it reads the program's CPU time (utime +
# stime of the whole process, from /proc) against the wall clock, its peak
# resident memory over the span, its threads at the end and the pictures
# it showed (a build that logs each shown picture under
# tavero.playback.debug; "—" for one that does not); then "暂停" is pressed
# and the position its time label shows is read. Prints one table, with
# ranges over the runs, the core count and the load; a build whose "播放"
# stays disabled for a minute cannot play the video and is listed so.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

span=20
kind=1080p

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
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES="tavero.playback.debug=true" \
    "$program" "$video" >"$session_home/program.log" 2>&1 &
  program_pid=$!
  session_pids+=("$program_pid")
  wait_for has_window
  wait_for play_enabled
  press "push button" "播放" Press
  sleep 1
  reset_peak "$program_pid"
  started=$(date +%s.%N)
  ticks=$(cpu_ticks "$program_pid")
  shown=$(pictures_shown)
  sleep "$span"
  ended=$(date +%s.%N)
  shown=$(($(pictures_shown) - shown))
  measured=$(awk -v started="$started" -v ended="$ended" -v ticks=$(($(cpu_ticks "$program_pid") - ticks)) \
    -v hz="$(ticks_per_second)" -v peak="$(status_kib "$program_pid" VmHWM)" \
    'BEGIN { printf "%.3f %.0f", ticks / hz / (ended - started), peak / 1024 }')
  local threads
  threads=$(thread_count "$program_pid")
  press "push button" "暂停" Press
  grep -q "picture shown" "$session_home/program.log" || shown="—"
  echo "$measured $threads $(shown_position "$length" $((span + 3))) $shown"
}

pictures_shown() { grep -c "picture shown" "$session_home/program.log" || true; }

# Makes the --video `kind` of `length` seconds at `path`.
make_video() {
  local kind=$1 length=$2 path=$3 size coding
  case $kind in
    1080p) size=1920x1080; coding=(-c:v libx264 -preset veryfast -pix_fmt yuv420p) ;;
    4k10) size=3840x2160; coding=(-c:v libx264 -preset veryfast -pix_fmt yuv420p10le) ;;
    prores) size=1920x1080; coding=(-c:v prores_ks -profile:v 2 -pix_fmt yuv422p10le) ;;
    8k) size=7680x4320; coding=(-c:v libx264 -preset veryfast -pix_fmt yuv420p) ;;
    *) echo "program-playback: no video $kind (1080p, 4k10, prores, 8k)" >&2; exit 2 ;;
  esac
  ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=$size:rate=30:duration=$length" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$length" "${coding[@]}" -c:a aac -ac 2 "$path"
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
    --video) kind=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --case) shift; play_case "$@"; exit ;;
    *) programs+=("$1"); shift ;;
  esac
done
[[ ${#programs[@]} -gt 0 ]] || { echo "program-playback: which program?" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
length=$((span + 10))
video=$work/讲解_$kind.mp4
[[ $kind == prores ]] && video=$work/讲解_$kind.mov
make_video "$kind" "$length" "$video"
results=$work/results
echo "$kind video; $(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
for run in $(seq "$runs"); do
  for index in "${!programs[@]}"; do
    # A build that cannot play the video (its "播放" stays disabled) is listed as such.
    line=$(in_session 1920x1080 "$0" --seconds "$span" --case "${programs[index]}" "$video" "$length") ||
      line="unplayable"
    echo "$index $line" | tee -a "$results"
  done
  echo "load after run $run:$(uptime | sed 's/.*load average://')"
done
echo
echo "| program ($kind) | CPU while playing (cores) | peak RSS while playing (MiB) | threads | position shown after ${span} s + 1 s | pictures shown in ${span} s (of $((span * 30))) |"
echo "|---|---|---|---|---|---|"
# Column `2` of program `1`'s runs that played, where it has a value.
played() { awk -v i="$1" -v c="$2" '$1 == i && $2 != "unplayable" && $c != "—" { print $c }' "$results"; }
for index in "${!programs[@]}"; do
  row="| ${programs[index]}"
  if [[ -z $(played "$index" 2) ]]; then
    echo "$row | unplayable | | | | |"
    continue
  fi
  for column in 2 3 4; do row+=" | $(played "$index" "$column" | range)"; done
  echo "$row | $(played "$index" 5 | sort -u | paste -sd / -) | $(played "$index" 6 | range) |"
done
