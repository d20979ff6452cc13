#!/usr/bin/env bash
# The real program's takes under compositing managers, against what the
# screen showed without our windows.
#
#   bench/program-compositors.sh build/app/tavero
#       [--cases "marco marco:wallpaper kwin kwin:wallpaper picom:wallpaper"] [--keep DIR]
#
# A case names the manager: marco (MATE's, `marco --composite`, whose frames
# have invisible borders that it does not paint), kwin (`kwin_x11`, which
# paints no published wallpaper), picom (with openbox, the tests' manager)
# or xcompmgr (with openbox); with ":wallpaper", `feh --bg-fill` publishes a
# wallpaper (_XROOTPMAP_ID) before the manager starts. A case whose manager,
# feh, xterm or xclock (x11-apps) is not installed is skipped.
#
# Each case gets an X server of its own (tests/support/x11-session.sh), a
# session bus, the accessibility bus and a PulseAudio server. An xterm lies
# under the control bar's top edge and an xclock under the teleprompter's
# corner; the screen is grabbed once the program went to the tray. A take
# of the whole display with the teleprompter: the bar is dragged off the
# xterm after 1.5 s, the take stopped 1.5 s later. Every picture is compared
# with the screen grabbed before (luma, at half size): the pixels that differ
# by more than 40 of 255, counted in full-size pixels. The pointer and the
# clock's hands account for a few hundred. Prints one line per case: the
# pictures, how many differ in more than 2,000 pixels, and the most pixels
# one picture differs in. With --keep, each case's take and the screen
# grabbed before are copied into DIR.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"

threshold=2000

# Whether a compositing manager owns _NET_WM_CM_S0.
manager_paints() {
  /usr/bin/python3 - <<'OWNER'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
display = x.XOpenDisplay(None)
sys.exit(0 if display and x.XGetSelectionOwner(display, x.XInternAtom(display, b"_NET_WM_CM_S0", 0)) else 1)
OWNER
}
window_manager_runs() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }

start_manager() {
  case $1 in
    marco) GSETTINGS_BACKEND=memory marco --composite --replace >/dev/null 2>&1 & session_pids+=($!) ;;
    kwin) kwin_x11 --replace >/dev/null 2>&1 & session_pids+=($!) ;;
    picom | xcompmgr)
      openbox --sm-disable >/dev/null 2>&1 &
      session_pids+=($!)
      wait_for window_manager_runs
      if [[ $1 == picom ]]; then picom --backend xrender --no-fading-openclose >/dev/null 2>&1 &
      else xcompmgr >/dev/null 2>&1 &
      fi
      session_pids+=($!) ;;
  esac
  wait_for window_manager_runs
  wait_for manager_paints
}

publish_wallpaper() {
  local wallpaper
  wallpaper=$(mktemp --suffix .png)
  ffmpeg -loglevel error -nostdin -y -f lavfi -i testsrc2=size=1920x1080 -frames:v 1 "$wallpaper"
  feh --no-fehbg --bg-fill "$wallpaper"
  rm -f "$wallpaper"
}

# The screen as a 960 × 540 grey picture.
grab_screen() {
  ffmpeg -loglevel error -nostdin -y -f x11grab -draw_mouse 0 -video_size 1920x1080 -i "$DISPLAY+0,0" \
    -frames:v 1 -vf scale=960:540,format=gray "$1"
}

# The windows beneath our panels: an xterm whose top edge lies along the
# middle of the control bar, an xclock whose frame's corner lies under the
# teleprompter's, moved there once mapped and given 2 s to settle.
start_windows() {
  xterm -geometry 100x5 >/dev/null 2>&1 &
  session_pids+=($!)
  xclock -geometry 200x200 >/dev/null 2>&1 &
  session_pids+=($!)
  wait_for class_shown xterm
  wait_for class_shown xclock
  xdotool windowmove "$(shown_class xterm)" 560 1010
  xdotool windowmove "$(shown_class xclock)" 1160 110
  sleep 2
}
shown_class() { xdotool search --onlyvisible --class "$1" 2>/dev/null | head -n 1; }
class_shown() { [[ -n $(shown_class "$1") ]]; }

# Ctrl+Shift+8, the whole display, the teleprompter with a line of notes,
# and the take started; returns once the part is written.
start_take_with_teleprompter() {
  xdotool key ctrl+shift+8
  press "radio button" "全屏" Press
  press "check box" "使用提词器" Toggle
  press "text" "提词稿" SetFocus
  xdotool type "Good morning, these are the notes."
  press "push button" "开始录制" Press
  wait_for recording
}

# Drags the control bar by its left edge 300 px left and 400 px up. The
# border around the display bears the bar's title too.
drag_bar() {
  local window x y
  for window in $(xdotool search --onlyvisible --pid "$program_pid" --name "^岚帧录屏控制条\$"); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [[ $WIDTH -lt 1000 ]] && break
  done
  x=$((X + 8))
  y=$((Y + HEIGHT / 2))
  xdotool mousemove "$x" "$y" mousedown 1 mousemove $((x - 150)) $((y - 200)) \
    mousemove $((x - 300)) $((y - 400)) mouseup 1
}

# "pictures differing most" of the take against the screen grabbed before.
compare_take() {
  local take=$1 screen=$2
  local inputs="[0:v]scale=960:540,format=gray[take];[1:v]format=gray[screen]"
  local differing="[take][screen]blend=all_mode=difference:shortest=1,lut=y='if(gt(val,40),255,0)'"
  local share="signalstats,metadata=mode=print:key=lavfi.signalstats.YAVG:file=-"
  ffmpeg -loglevel fatal -nostdin -i "$take" -loop 1 -i "$screen" -filter_complex "$inputs;$differing,$share" \
    -f null - | awk -F= -v threshold="$threshold" '/YAVG/ {
        pixels = $2 / 255 * 1920 * 1080; pictures++
        if (pixels > threshold) differing++
        if (pixels > most) most = pixels }
      END { printf "%d %d %.0f", pictures, differing, most }'
}

# Inside the case's session: "case pictures differing most".
run_case() {
  local case=$1 manager=${1%%:*}
  trap session_cleanup EXIT
  if [[ $case == *:wallpaper ]]; then publish_wallpaper; fi
  start_manager "$manager"
  start_windows
  start_sound_server
  start_accessibility_bus
  start_program "$program"
  to_tray
  xdotool mousemove 10 10
  sleep 1
  grab_screen "$session_home/screen.png"
  start_take_with_teleprompter
  xdotool mousemove 10 10
  sleep 1.5
  drag_bar
  xdotool mousemove 10 10
  sleep 1.5
  stop_take
  echo "$case $(compare_take "$(newest_video)" "$session_home/screen.png")"
  if [[ -n $keep ]]; then
    cp "$(newest_video)" "$keep/${case/:/-}.mp4"
    cp "$session_home/screen.png" "$keep/${case/:/-}.png"
  fi
}

program=$1
shift
cases="marco marco:wallpaper kwin kwin:wallpaper picom:wallpaper"
keep=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --cases) cases=$2; shift 2 ;;
    --keep) keep=$(realpath "$2"); shift 2 ;;
    --case) run_case "$2"; exit ;;
    *) echo "program-compositors: unknown option $1" >&2; exit 2 ;;
  esac
done

echo "$(nproc) cores; load at the start:$(uptime | sed 's/.*load average://')"
echo "case pictures differing(>$threshold px) most_px"
for case in $cases; do
  manager=${case%%:*}
  [[ $manager == kwin ]] && manager=kwin_x11
  needed=("$manager" xterm xclock)
  [[ $case == *:wallpaper ]] && needed+=(feh)
  missing=""
  for tool in "${needed[@]}"; do command -v "$tool" >/dev/null || missing+=" $tool"; done
  if [[ -n $missing ]]; then echo "$case skipped, not installed:$missing"; continue; fi
  # The session bus may not raise its file limit without privileges: harmless.
  DISPLAY="" "$(dirname "$0")/../tests/support/x11-session.sh" -- dbus-run-session -- \
    env TAVERO_BENCH_SESSION=1 "$0" "$program" ${keep:+--keep "$keep"} --case "$case" \
    2> >(grep -v "Failed to set fd limit" >&2) || echo "$case failed"
done
