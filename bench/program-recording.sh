#!/usr/bin/env bash
# The real program recording the whole display as a user does, beside
# `ffmpeg -f x11grab` at the program's own settings, on the same display in
# the same run.
#
#   bench/program-recording.sh build/app/tavero [--seconds 20] [--runs 1]
#       [--cases "1920x1080 3840x2160 1920x1080:still"] [--content testsrc2|page]
#
# Each case gets an X server of its own with openbox, a session bus with the
# accessibility bus, and a PulseAudio server (null sink, sine microphone).
# The program starts in a fresh home and goes to the tray; a borderless
# window over the whole screen shows the content: FFmpeg's testsrc2 at 30
# pictures a second (bench_moving_picture), or with --content page the page
# of text that bench_screen_recording scrolls (bench_scrolling_page), to
# compare with that benchmark. A case ending in ":still" shows one picture,
# and the pointer rests. How many different pictures a second the screen
# shows is read first (a corner grabbed for 3 s). Then:
#   1. ffmpeg -f x11grab records the display: libx264 ultrafast, CRF 20,
#      tune zerolatency, no B-frames, a keyframe a second, fragmented MP4,
#      the pointer drawn (the program's settings: platform/media's
#      PictureEncoder and PartWriter). Without the sound: given the sound
#      server as a second input, ffmpeg reads its inputs in turn and the
#      screen waits behind the sound, so its file held about 10 different
#      pictures a second of the content's 30, and its encoder did a third
#      of the work;
#   2. the program records it: Ctrl+Shift+8, "全屏" and "开始录制" pressed
#      through AT-SPI, the countdown, the control bar and border shown over
#      the content, the computer's sound on (the default), Ctrl+Shift+8 to
#      stop.
# Each recorder is measured over the same span of --seconds, from a second
# after its file began: CPU per second of video (utime + stime of the whole
# process, from /proc), its peak resident memory over the span (VmHWM, reset
# at the span's start) and minor page faults per second; then pictures per
# second in its file (ffprobe), how many of them differ from the one before
# (FFmpeg's mpdecimate at a fine threshold), and the pictures the file lacks against 30 a
# second (for changing content only: on a still screen the program writes a
# picture a second by design), with the program's own count of pictures its
# encoder queue dropped. Prints one table, with ranges over the runs, the
# core count and the load.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

span=20
settle=1

# "cpu_per_s peak_MiB faults_per_s" of process `pid` over the span.
measure_span() {
  local pid=$1 started ticks faults ended
  sleep "$settle"
  reset_peak "$pid"
  started=$(date +%s.%N)
  ticks=$(cpu_ticks "$pid")
  faults=$(minor_faults "$pid")
  sleep "$span"
  ended=$(date +%s.%N)
  awk -v started="$started" -v ended="$ended" -v ticks=$(($(cpu_ticks "$pid") - ticks)) -v hz="$(ticks_per_second)" \
    -v faults=$(($(minor_faults "$pid") - faults)) -v peak="$(status_kib "$pid" VmHWM)" \
    'BEGIN { seconds = ended - started; printf "%.3f %.0f %.1f", ticks / hz / seconds, peak / 1024, faults / seconds }'
}

# "pictures_per_s different_per_s lacking" of a file.
pictures_in() {
  local file=$1 pictures different duration
  pictures=$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$file")
  different=$(ffmpeg -nostats -nostdin -i "$file" -an -vf mpdecimate=hi=200:lo=64:frac=0.001 -f null - 2>&1 |
    sed -n 's/.*frame= *\([0-9]*\).*/\1/p' | tail -n 1)
  duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file")
  awk -v pictures="$pictures" -v different="$different" -v duration="$duration" 'BEGIN {
    lacking = int(duration * 30 + 0.5) - pictures
    printf "%.1f %.1f %d", pictures / duration, different / duration, lacking < 0 ? 0 : lacking }'
}

# Different pictures a second in the screen's top left corner over 3 s.
content_rate() {
  ffmpeg -hide_banner -loglevel error -nostdin -f x11grab -framerate 30 -draw_mouse 0 -video_size 640x200 \
    -i "$DISPLAY+0,0" -t 3 -f framemd5 - | awk -F, '!/^#/ && $6 != last { changes++; last = $6 } END { printf "%.1f", changes / 3 }'
}

record_with_ffmpeg() {
  local size=$1 file=$session_home/ffmpeg.mp4 pid measured
  ffmpeg -hide_banner -loglevel error -nostdin -y -f x11grab -framerate 30 -draw_mouse 1 -video_size "$size" \
    -i "$DISPLAY+0,0" -c:v libx264 -preset ultrafast -tune zerolatency -crf 20 -bf 0 -g 30 -pix_fmt yuv420p \
    -movflags +frag_keyframe+empty_moov+default_base_moof "$file" &
  pid=$!
  wait_for test -s "$file"
  measured=$(measure_span "$pid")
  kill -INT "$pid"
  wait "$pid" || true
  read -r cpu peak faults <<<"$measured"
  read -r rate different lacking <<<"$(pictures_in "$file")"
  echo "ffmpeg $cpu $rate $different $lacking - $peak $faults"
}

# The pictures dropped by the encoder queue, as the program logs them when
# it finishes a part.
own_dropped() {
  sed -n 's/.*part finished: .* \([0-9]*\) dropped.*/\1/p' "$session_home/program.log" | awk '{ sum += $1 } END { print sum + 0 }'
}

record_with_program() {
  local size=$1 measured
  start_take
  stacked_above "$(content_window)" $(xdotool search --onlyvisible --pid "$program_pid" --name "^岚帧录屏控制条\$") ||
    fail "the control bar lies beneath the content"
  measured=$(measure_span "$program_pid")
  stop_take
  [[ $(picture_size "$(newest_video)") == "$size" ]] || fail "the take did not record the whole display"
  read -r cpu peak faults <<<"$measured"
  read -r rate different lacking <<<"$(pictures_in "$(newest_video)")"
  echo "program $cpu $rate $different $lacking $(own_dropped) $peak $faults"
}

fail() {
  echo "program-recording: $1" >&2
  exit 1
}

# "WIDTHxHEIGHT" of a file's pictures.
picture_size() { ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 "$1"; }

# Whether one of the windows after `lower` is stacked above it.
stacked_above() {
  local lower=$1
  shift
  xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g' |
    awk -v lower="$(printf '0x%x' "$lower")" -v uppers="$(printf '0x%x ' "$@")" \
      '{ for (i = 1; i <= NF; i++) at[$i] = i }
       END { n = split(uppers, upper, " "); for (i = 1; i <= n; i++) if (at[upper[i]] > at[lower] && at[lower] > 0) exit 0; exit 1 }'
}

# Inside the case's session: one line per recorder, after the case's name
# and the content's pictures a second.
run_case() {
  local case=$1 content=$2 size=${1%%:*} still="" rate line
  [[ $case == *:still ]] && still=1
  trap session_cleanup EXIT
  start_sound_server
  start_accessibility_bus
  start_program "$program"
  to_tray
  start_content "$still" "$content"
  # The pointer rests in a corner, out of the way of the control bar.
  xdotool mousemove 10 10
  sleep 2
  rate=$(content_rate)
  echo "$case $(record_with_ffmpeg "$size") $rate"
  line=$(record_with_program "$size") || exit 1
  echo "$case $line $rate"
}

range() {
  awk 'NR == 1 { low = high = $1 } { if ($1 < low) low = $1; if ($1 > high) high = $1 }
       END { if (NR == 0) print "—"; else if (low == high) print low; else print low "–" high }'
}

# The range over the runs of column `column` for `recorder` in `case`.
column_range() {
  awk -v c="$2" -v r="$3" -v k="$4" '$1 == c && $2 == r && $k != "-" { print $k }' "$1" | range
}

# Prints the table of all runs from the lines in `results`.
print_table() {
  local results=$1 case recorder column row
  echo
  echo "| case | recorder | content pictures/s | CPU per video second (cores) | pictures/s in the file | different pictures/s in the file | pictures lacking against 30/s | dropped by the encoder queue | peak RSS (MiB) | minor faults/s |"
  echo "|---|---|---|---|---|---|---|---|---|---|"
  for case in $cases; do
    for recorder in program ffmpeg; do
      row="| $case | $recorder | $(column_range "$results" "$case" "$recorder" 10)"
      for column in 3 4 5 6 7 8 9; do
        if [[ $column == 6 && $case == *:still ]]; then row+=" | —"; continue; fi
        row+=" | $(column_range "$results" "$case" "$recorder" "$column")"
      done
      echo "$row |"
    done
    echo "| $case | program ÷ ffmpeg | | $(awk -v c="$case" '$1 == c && $2 == "program" { p[++n] = $3 } $1 == c && $2 == "ffmpeg" { f[++m] = $3 }
      END { for (i = 1; i <= n && i <= m; i++) if (f[i] > 0) printf "%.2f\n", p[i] / f[i] }' "$results" | range)× | | | | | | |"
  done
}

program=$1
shift
runs=1
cases="1920x1080 3840x2160 1920x1080:still"
content=testsrc2
while [[ $# -gt 0 ]]; do
  case $1 in
    --seconds) span=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --cases) cases=$2; shift 2 ;;
    --content) content=$2; shift 2 ;;
    --case) run_case "$2" "$content"; exit ;;
    *) echo "program-recording: unknown option $1" >&2; exit 2 ;;
  esac
done

results=$(mktemp)
trap 'rm -f "$results"' EXIT
echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
for run in $(seq "$runs"); do
  for case in $cases; do
    in_session "${case%%:*}" "$0" "$program" --seconds "$span" --content "$content" --case "$case" | tee -a "$results"
  done
  echo "load after run $run:$(uptime | sed 's/.*load average://')"
done
print_table "$results"
