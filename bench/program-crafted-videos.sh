#!/usr/bin/env bash
# The real program opening small crafted videos, one or more builds of it,
# each video in a session of its own (bench/program-session.sh): an X server
# with openbox, a session bus with the accessibility bus and a PulseAudio
# server with a null output.
#
#   bench/program-crafted-videos.sh build/app/tavero [other/app/tavero...] [--only NAME]
#
# The videos are made once for the run with FFmpeg's command line:
#   streams999   999 copies of one small video stream (1 s, 64×48) in MP4
#   streams999ts the same 999 in MPEG-TS, named .mp4 (its table names 196 of
#                them; the others are found as their packets come)
#   streams999bare the same without its programme tables (PID 0 and
#                0x1000), whose streams are found from their packets alone
#   streams500   500 copies of it
#   sound499     one such video stream and 499 copies of a 1 s AAC stream
#   declared1e9  10 s of 160×120 with AAC, whose movie header says 1e9 s
#   channels10   4 s of 160×120 with a 1 kHz tone in 10 PCM channels of no
#                layout, in QuickTime
#   matroska     the 10 s video in Matroska, named .mp4
#   transport    the 10 s video in MPEG-TS, named .mp4
#   late         6 s of AAC in MPEG-TS followed by 10 s of 320×240 pictures
#                with AAC from 6 s on, as a recording joined late
#   live         3 s of 320×240 with AAC written live to Matroska (no length,
#                no index), named .mp4
#   livepcm      the same with PCM sound
#   live2GB      live followed by zeros up to 2 GB (`truncate -s 2G`)
#   far1e9       live with a last cluster timed at 1e9 ms
#   pcm          5 s of 320×240 with a 48 kHz PCM tone, in QuickTime
#   studio768k   3 s of 320×240 with a 768 kHz 24-bit PCM tone, in QuickTime
#   damaged      4 s of 320×240 with AAC in MPEG-TS with 200 MB of random bytes
#                in the middle, as a failing disk or a broken transfer leaves
#                it, named .mp4
#   hole2GB      2 s of it with a hole of 2 GB in the middle (sparse)
#   paused       90 s of 320×240 VP8 written live to WebM with no pictures
#                from 10 s to 80 s, as a browser records a still canvas, named
#                .mp4
# The program opens each as `tavero video.mp4` does; once "播放" is enabled
# or an alert shows (a minute at most; how long that took is "settled") and
# 3 s more have passed, it reads
# what the window says (the time label, the alert, the status line) and
# what 播放进度 reads, and the CPU time and the bytes read (rchar) so far; then
# "播放" is pressed, the output's monitor listens for a tone over the next
# second (its recorder ends within 3 s), and 2 s later it reads the time
# label again. The peak resident memory (VmHWM) covers the whole run. Prints
# one table.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

reader() {
  printf 'attach\t%s\n%s\n' "$program_pid" "$1" |
    /usr/bin/python3 "$bench_folder/../tests/support/screen_reader.py" 2>/dev/null | tail -n 1
}
play_enabled() { [[ $(reader "$(printf 'state\tpush button\t播放')") == *enabled* ]]; }
alert_shown() { [[ $(reader "$(printf 'state\tpush button\t知道了')") == ok* ]]; }
settled() { play_enabled || alert_shown; }
# What the shown controls of `role` say, joined by " | ", but for what the
# workspace always says.
said() {
  reader "$(printf 'names\t%s' "$1")" | cut -f 2- | tr '\t' '\n' |
    grep -vxF -e 岚帧 -e 'Tavero · 截图与录屏' -e '裁剪 / 秒' -e — -e '录屏以 MP4 保存；GIF 适合 30 秒以内的片段。' \
      -e '准备好了。截图和编辑都在本机完成。' -e "$(basename "$video")" | paste -sd '|' | sed 's/|/ | /g'
}
bytes_read() { awk '$1 == "rchar:" { print $2 }' "/proc/$1/io"; }
slider() { reader "$(printf 'value\tslider\t播放进度')" | cut -f 2- | awk '{ printf "%s (%s–%s)", $1, $2, $3 }'; }

# Whether the null sink's monitor hears anything louder than a whisper over a second.
hears_sound() {
  { timeout 3 parec --device=test_sink.monitor --raw --format=s16le --channels=1 --rate=48000 2>/dev/null |
    head -c 96000 || true; } | /usr/bin/python3 -c '
import sys, array
samples = array.array("h", sys.stdin.buffer.read())
print("heard" if samples and max(abs(s) for s in samples) > 1000 else "silent")'
}

# Inside the session: one line of what `program` showed for `video`.
open_case() {
  local program=$1 before after peak sound started settled_after cpu read_mib
  video=$2
  trap session_cleanup EXIT
  start_sound_server
  start_accessibility_bus
  session_home=$(mktemp -d)
  HOME=$session_home XDG_CONFIG_HOME=$session_home/.config XDG_DATA_HOME=$session_home/.local/share \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$video" >"$session_home/program.log" 2>&1 &
  program_pid=$!
  started=$(date +%s.%N)
  session_pids+=("$program_pid")
  wait_for has_window
  wait_for settled
  settled_after=$(awk -v from="$started" -v to="$(date +%s.%N)" 'BEGIN { printf "%.1f", to - from }')
  sleep 3
  cpu=$(awk -v ticks="$(cpu_ticks "$program_pid")" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", ticks / hz }')
  read_mib=$(awk -v bytes="$(bytes_read "$program_pid")" 'BEGIN { printf "%.0f", bytes / 1048576 }')
  before="labels: $(said label); status: $(said filler); 播放进度 $(slider)"
  sound="—"
  after="—"
  if play_enabled; then
    press "push button" "播放" Press
    sound=$(hears_sound)
    sleep 2
    after="$(said label); 播放进度 $(slider)"
  fi
  peak=$(awk '{ printf "%.0f", $1 / 1024 }' <<<"$(status_kib "$program_pid" VmHWM)")
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$peak" "$settled_after" "$cpu" "$read_mib" "$before" "$after" "$sound"
}

# Patches the movie header (mvhd) of `path` to say `seconds` at a time scale of 1.
declare_length() {
  /usr/bin/python3 - "$1" "$2" <<'PATCH'
import struct, sys
path, seconds = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, "rb").read())
at = data.find(b"mvhd") - 4
data[at + 20:at + 28] = struct.pack(">II", 1, seconds)
open(path, "wb").write(data)
PATCH
}

# Leaves the programme tables out of the MPEG-TS `path` that FFmpeg wrote.
strip_tables() {
  /usr/bin/python3 - "$1" "$2" <<'STRIP'
import sys
data = open(sys.argv[1], "rb").read()
packets = (data[at:at + 188] for at in range(0, len(data) - 187, 188))
kept = (p for p in packets if ((p[1] & 0x1F) << 8 | p[2]) not in (0, 0x1000))
open(sys.argv[2], "wb").write(b"".join(kept))
STRIP
}

# Appends to the Matroska file `path` a cluster at `milliseconds` holding one
# block of 64 bytes of its first track.
append_cluster() {
  /usr/bin/python3 - "$1" "$2" <<'CLUSTER'
import sys
path, milliseconds = sys.argv[1], int(sys.argv[2])
def element(identifier, content):
    return identifier + b"\x01" + len(content).to_bytes(7, "big") + content
block = b"\x81\x00\x00\x80" + b"x" * 64
cluster = element(b"\x1f\x43\xb6\x75", element(b"\xe7", milliseconds.to_bytes(8, "big")) + element(b"\xa3", block))
open(path, "ab").write(cluster)
CLUSTER
}

# Writes the file `source` to `out` with `bytes` in its middle: random, or
# a hole (`fill` "random" or "hole").
split_by() {
  /usr/bin/python3 - "$@" <<'SPLIT'
import os, sys
source, out, fill, size = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
data = open(source, "rb").read()
with open(out, "wb") as file:
    file.write(data[:len(data) // 2])
    if fill == "random":
        for _ in range(size >> 20):
            file.write(os.urandom(1 << 20))
    else:
        file.seek(size, os.SEEK_CUR)
    file.write(data[len(data) // 2:])
SPLIT
}

make_videos() {
  local folder=$1 quiet=(-hide_banner -loglevel error -nostdin -y) maps=()
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=size=64x48:rate=30:duration=1 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=1 -c:v libx264 -pix_fmt yuv420p -c:a aac "$folder/one.mp4"
  for _ in $(seq 999); do maps+=(-map 0:v); done
  ffmpeg "${quiet[@]}" -i "$folder/one.mp4" "${maps[@]}" -c copy "$folder/streams999.mp4"
  # The muxer says that its table cannot name them all.
  ffmpeg "${quiet[@]}" -i "$folder/one.mp4" "${maps[@]}" -c copy -f mpegts "$folder/streams999ts.mp4" 2>/dev/null
  strip_tables "$folder/streams999ts.mp4" "$folder/streams999bare.mp4"
  ffmpeg "${quiet[@]}" -i "$folder/one.mp4" "${maps[@]:0:1000}" -c copy "$folder/streams500.mp4"
  maps=(-map 0:v)
  for _ in $(seq 499); do maps+=(-map 0:a); done
  ffmpeg "${quiet[@]}" -i "$folder/one.mp4" "${maps[@]}" -c copy "$folder/sound499.mp4"
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=size=160x120:rate=30:duration=10 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=10 -c:v libx264 -pix_fmt yuv420p -c:a aac "$folder/ten.mp4"
  ffmpeg "${quiet[@]}" -i "$folder/ten.mp4" -c copy -use_editlist 0 "$folder/declared1e9.mp4"
  declare_length "$folder/declared1e9.mp4" 1000000000
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=size=160x120:rate=30:duration=4 \
    -f lavfi -i sine=frequency=1000:sample_rate=48000:duration=4 \
    -filter_complex "[1]volume=0.5,aformat=channel_layouts=mono[a]" -map 0 -map "[a]" -c:v libx264 \
    -pix_fmt yuv420p -f nut -c:a pcm_s16le "$folder/mono.nut"
  ffmpeg "${quiet[@]}" -i "$folder/mono.nut" -map 0:a -f s16le - |
    /usr/bin/python3 -c 'import sys, array
mono = array.array("h", sys.stdin.buffer.read())
sys.stdout.buffer.write(array.array("h", [s for s in mono for _ in range(10)]).tobytes())' >"$folder/ten.raw"
  ffmpeg "${quiet[@]}" -i "$folder/mono.nut" -f s16le -ar 48000 -ac 10 -i "$folder/ten.raw" -map 0:v -map 1 \
    -c:v copy -c:a pcm_s16le "$folder/channels10.mov"
  ffmpeg "${quiet[@]}" -i "$folder/ten.mp4" -c copy -f matroska "$folder/matroska.mp4"
  ffmpeg "${quiet[@]}" -i "$folder/ten.mp4" -c copy -f mpegts "$folder/transport.mp4"
  ffmpeg "${quiet[@]}" -f lavfi -i sine=f=440:r=48000 -t 6 -c:a aac -streamid 0:0x101 -f mpegts "$folder/a.ts"
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=s=320x240:r=25 -f lavfi -i sine=f=440:r=48000 -t 10 -c:v libx264 \
    -preset ultrafast -g 25 -c:a aac -streamid 0:0x100 -streamid 1:0x101 -output_ts_offset 6 -f mpegts "$folder/b.ts"
  cat "$folder/a.ts" "$folder/b.ts" >"$folder/late.mp4"
  local three=(-f lavfi -i testsrc2=s=320x240:r=25:d=3 -f lavfi -i sine=d=3 -c:v libx264)
  ffmpeg "${quiet[@]}" "${three[@]}" -c:a aac -live 1 -f matroska "$folder/live.mp4"
  ffmpeg "${quiet[@]}" "${three[@]}" -c:a pcm_s16le -live 1 -f matroska "$folder/livepcm.mp4"
  cp "$folder/live.mp4" "$folder/live2GB.mp4"
  truncate -s 2G "$folder/live2GB.mp4"
  cp "$folder/live.mp4" "$folder/far1e9.mp4"
  append_cluster "$folder/far1e9.mp4" 1000000000
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=s=320x240:r=25 -f lavfi -i sine=f=440:r=48000 -t 5 -c:v libx264 \
    -c:a pcm_s16le "$folder/pcm.mov"
  ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=s=320x240:r=25 -f lavfi -i sine=f=440:r=768000 -t 3 -c:v libx264 \
    -c:a pcm_s24le "$folder/studio768k.mov"
  for seconds in 2 4; do
    ffmpeg "${quiet[@]}" -f lavfi -i testsrc2=s=320x240:r=25 -f lavfi -i sine=f=440:r=48000 -t $seconds \
      -c:v libx264 -g 25 -c:a aac -f mpegts "$folder/whole$seconds.ts"
  done
  split_by "$folder/whole4.ts" "$folder/damaged.mp4" random $((200 << 20))
  split_by "$folder/whole2.ts" "$folder/hole2GB.mp4" hole $((2 << 30))
  ffmpeg "${quiet[@]}" -f lavfi -i "testsrc2=s=320x240:r=25:d=90" -vf "select='not(between(t\,10\,80))'" \
    -fps_mode vfr -c:v libvpx -b:v 200k -deadline realtime -cpu-used 8 -an -f webm -live 1 "$folder/paused.mp4"
}

programs=()
only=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    --case) shift; open_case "$@"; exit ;;
    *) programs+=("$1"); shift ;;
  esac
done
[[ ${#programs[@]} -gt 0 ]] || { echo "program-crafted-videos: which program?" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
make_videos "$work"
videos=(streams999.mp4 streams999ts.mp4 streams999bare.mp4 streams500.mp4 sound499.mp4 declared1e9.mp4 channels10.mov matroska.mp4 transport.mp4 late.mp4 live.mp4
  livepcm.mp4 live2GB.mp4 far1e9.mp4 pcm.mov studio768k.mov damaged.mp4 hole2GB.mp4 paused.mp4)
echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
echo
echo "| video | program | peak RSS (MiB) | settled (s) | CPU (s) | read (MiB) | shown once settled | after 播放 (some 5 s) | sound |"
echo "|---|---|---|---|---|---|---|---|---|"
for video in "${videos[@]}"; do
  [[ -n $only && $video != "$only"* ]] && continue
  for program in "${programs[@]}"; do
    line=$(in_session 1920x1080 "$0" --case "$program" "$work/$video") || line=$'—\t—\t—\t—\tthe session failed\t—\t—'
    IFS=$'\t' read -r peak settled_after cpu read_mib before after sound <<<"$line"
    echo "| $video | $program | $peak | $settled_after | $cpu | $read_mib | $before | $after | $sound |"
  done
done
