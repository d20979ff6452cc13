# Helpers for the benchmarks that drive the real program as a user does, on
# an X server of their own with openbox (tests/support/x11-session.sh --wm)
# and a session bus of their own (dbus-run-session): a PulseAudio server with
# a null sink and a sine microphone, the accessibility bus, the program in a
# fresh home, its controls pressed by name, and readings from /proc.
# Sourced; session_cleanup stops what was started here.

bench_folder=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
session_pids=()
session_home=""
program_pid=""
content_pid=""

session_cleanup() {
  local index
  for ((index = ${#session_pids[@]} - 1; index >= 0; index--)); do kill "${session_pids[index]}" 2>/dev/null || true; done
  for pid in "${session_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  session_pids=()
  [[ -n $session_home ]] && rm -rf "$session_home"
  session_home=""
}

# Waits up to a minute (`wait_seconds`) for a command to succeed; gives up
# with the program's last words.
wait_seconds=60
wait_for() {
  for _ in $(seq $((wait_seconds * 10))); do "$@" && return 0; sleep 0.1; done
  echo "$(basename "$0"): gave up waiting for $*" >&2
  [[ -f $session_home/program.log ]] && tail -n 20 "$session_home/program.log" >&2
  exit 1
}

# Runs `script "$@"` on a display of `size` with openbox, inside a session
# bus, unless it runs there already.
in_session() {
  local size=$1
  shift
  # The session bus may not raise its file limit without privileges: harmless.
  DISPLAY="" "$bench_folder/../tests/support/x11-session.sh" --size "$size" --wm -- \
    dbus-run-session -- env TAVERO_BENCH_SESSION=1 "$@" 2> >(grep -v "Failed to set fd limit" >&2)
}

start_sound_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-level=error --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=test_sink" \
    --load="module-sine-source frequency=440 source_name=test_mic" >/dev/null 2>&1 &
  session_pids+=($!)
  wait_for pactl info >/dev/null 2>&1
}

start_accessibility_bus() {
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  session_pids+=($!)
}

# The program in a fresh home with its editor window shown; its error
# output goes to $session_home/program.log.
start_program() {
  local program=$1
  session_home=$(mktemp -d)
  HOME=$session_home XDG_CONFIG_HOME=$session_home/.config XDG_DATA_HOME=$session_home/.local/share \
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_LOGGING_RULES="tavero.recording.capture.info=true" \
    "$program" >"$session_home/program.log" 2>&1 &
  program_pid=$!
  session_pids+=("$program_pid")
  wait_for has_window
}

library() { echo "$session_home/Desktop/岚帧"; }
shown() { xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | head -n 1; }
shown_named() { xdotool search --onlyvisible --pid "$program_pid" --name "^$1\$" 2>/dev/null | head -n 1; }
has_window() { [[ -n $(shown_named "岚帧 Tavero") ]]; }
no_window() { [[ -z $(shown) ]]; }
# Calls `action` of the shown control of `role` named `name`, as a screen
# reader does (the tests' tests/support/screen_reader.py), once it is there.
press() { wait_for screen_reader_acts "$@"; }
screen_reader_acts() {
  [[ $(printf 'attach\t%s\nact\t%s\t%s\t%s\n' "$program_pid" "$1" "$2" "$3" |
    /usr/bin/python3 "$bench_folder/../tests/support/screen_reader.py" 2>/dev/null | tail -n 1) == ok ]]
}

# Closes the editor window with its own key, typed as a user would.
to_tray() {
  xdotool windowfocus --sync "$(shown_named "岚帧 Tavero")" key ctrl+w
  wait_for no_window
}

# Entries of `kind` ("video", "image") listed in the library.
listed() {
  local index
  index="$(library)/index.json"
  if [[ -f $index ]]; then { grep -o "\"kind\":\"$1\"" "$index" || true; } | wc -l; else echo 0; fi
}
listed_at_least() { [[ $(listed "$1") -ge $2 ]]; }
part_file() { find "$(library)" -name '片段_*.mp4' 2>/dev/null | head -n 1; }
recording() { [[ -n $(part_file) ]] && [[ -n $(shown_named "岚帧录屏控制条") ]]; }

# Ctrl+Shift+8 opens the set-up sheet; the whole display is chosen and the
# take started by the sheet's controls. Returns once the part is written,
# after the countdown.
start_take() {
  xdotool key ctrl+shift+8
  press "radio button" "全屏" Press
  press "push button" "开始录制" Press
  wait_for recording
}

# Ctrl+Shift+8 stops the take; returns once the joined take is listed.
stop_take() {
  local videos
  videos=$(listed video)
  xdotool key ctrl+shift+8
  wait_for listed_at_least video $((videos + 1))
}

# The newest video listed: the joined take right after stop_take.
newest_video() { ls -t "$(library)"/*.mp4 | head -n 1; }

# Content over the whole screen, in a borderless window under our panels,
# from the benchmarks built beside `program`: FFmpeg's testsrc2 at 30
# pictures a second, or with `content` "page" the page of text that
# bench_screen_recording scrolls; with `still` set, one picture only.
start_content() {
  local still=$1 content=$2 builds player
  builds="$(dirname "$program")/../bench"
  player=$builds/bench_moving_picture
  [[ $content == page ]] && player=$builds/bench_scrolling_page
  "$player" ${still:+--still} >/dev/null 2>&1 &
  content_pid=$!
  session_pids+=("$content_pid")
  wait_for content_shown
  # One row short of the screen: openbox keeps a borderless window that
  # fills the screen above every other while it has the focus, our panels
  # included, as it does a full-screen one.
  read -r width height < <(xdpyinfo | awk '/dimensions:/ { split($2, size, "x"); print size[1], size[2] }')
  xdotool windowsize "$(content_window)" "$width" $((height - 1))
}
content_window() { xdotool search --onlyvisible --pid "$content_pid" 2>/dev/null | head -n 1; }
content_shown() { [[ -n $(content_window) ]]; }
stop_content() { kill "$content_pid"; }

# Readings of a process from /proc.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
minor_faults() { awk '{ print $10 }' "/proc/$1/stat"; }
status_kib() { awk -v field="$2:" '$1 == field { print $2 }' "/proc/$1/status"; }
thread_count() { status_kib "$1" Threads; }
# Starts the peak resident memory (VmHWM) again from what is resident now.
reset_peak() { echo 5 >"/proc/$1/clear_refs"; }
ticks_per_second() { getconf CLK_TCK; }
