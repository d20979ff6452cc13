#!/usr/bin/env bash
# Runs one command on an X server of its own and stops everything it started.
#
#   x11-session.sh [--size WxH] [--wm] [--compositor] [--shadows] [--two-monitors] -- command [arguments...]
#
#   --size WxH       the Xvfb screen (default 1920x1080)
#   --wm             also runs openbox, for the window manager's EWMH hints
#   --compositor     also runs picom (its xrender backend), a compositing
#                    manager: it redirects every window and paints the
#                    screen, its own grey where no window lies
#   --shadows        --compositor with picom's shadows around windows
#   --two-monitors   Xorg with the dummy driver instead of Xvfb: a 3840x1080
#                    screen with the outputs DUMMY0 at (0,0) and DUMMY1 at
#                    (1920,0), each 1920x1080 (needs root, like Xorg). The
#                    server keeps the pointer inside the outputs' CRTCs, so
#                    both monitors need an output of their own (or one output
#                    as wide as both, split with `xrandr --setmonitor`); a
#                    framebuffer widened with `xrandr --fb` alone keeps the
#                    pointer on the first.
#
# The server picks a free display number itself (-displayfd). The command
# runs with DISPLAY set and QT_QPA_PLATFORM=xcb. Exit status 77 (a skipped
# test for CTest) when the server cannot be started here; 1 instead when the
# run may skip no test (TAVERO_TESTS_REQUIRE_ALL=1, from scripts/test.sh as
# root), since the script has installed everything the servers need.
set -uo pipefail

size=1920x1080
wm=0
compositor=0
shadows=0
monitors=0
while [[ $# -gt 0 ]]; do
  case $1 in
    --size) size=$2; shift 2 ;;
    --wm) wm=1; shift ;;
    --compositor) compositor=1; shift ;;
    --shadows) compositor=1; shadows=1; shift ;;
    --two-monitors) monitors=1; shift ;;
    --) shift; break ;;
    *) echo "x11-session: unknown option $1" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tavero-x11-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

skip() {
  if [[ ${TAVERO_TESTS_REQUIRE_ALL:-0} == 1 ]]; then
    echo "x11-session: $1; this run may skip no test (TAVERO_TESTS_REQUIRE_ALL=1)" >&2
    exit 1
  fi
  echo "x11-session: $1; skipping" >&2
  exit 77
}

write_dummy_config() {
  cat > "$work/xorg.conf" <<'CONF'
Section "Device"
  Identifier "d0"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "m0"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
EndSection
Section "Screen"
  Identifier "s0"
  Device "d0"
  Monitor "m0"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3840 1080
  EndSubSection
EndSection
CONF
}

# Starts the server with its display number written to a FIFO, and reads it.
start_server() {
  mkfifo "$work/display"
  if [[ $monitors == 1 ]]; then
    command -v Xorg >/dev/null || skip "Xorg is not installed"
    write_dummy_config
    Xorg -displayfd 3 -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
      3>"$work/display" >"$work/server.out" 2>&1 &
  else
    command -v Xvfb >/dev/null || skip "Xvfb is not installed"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" >"$work/server.out" 2>&1 &
  fi
  pids+=($!)
  local number=""
  read -r -t 20 number <"$work/display" || true
  [[ -n $number ]] || { cat "$work/server.out" >&2; skip "the X server did not start"; }
  export DISPLAY=":$number"
}

split_into_two_monitors() {
  xrandr --fb 3840x1080 &&
    xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 &&
    xrandr --addmode DUMMY1 1920x1080 &&
    xrandr --output DUMMY1 --mode 1920x1080 --pos 1920x0 ||
    skip "cannot set up two monitors"
}

start_window_manager() {
  command -v openbox >/dev/null || skip "openbox is not installed"
  openbox --sm-disable >"$work/openbox.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return
    sleep 0.05
  done
  cat "$work/openbox.out" >&2
  skip "openbox did not start"
}

# The pixel in the middle of the screen, as hexadecimal bytes.
middle_pixel() {
  local middle
  middle=$(xdpyinfo | awk '/dimensions:/ { split($2, size, "x"); print int(size[1] / 2) "," int(size[2] / 2) }')
  ffmpeg -loglevel quiet -f x11grab -draw_mouse 0 -video_size 1x1 -i "$DISPLAY+$middle" -frames:v 1 \
    -f rawvideo -pix_fmt rgb24 - | od -An -tx1
}

# Returns once picom paints the screen: the middle shows its desktop, no
# longer the server's background.
start_compositor() {
  command -v picom >/dev/null || skip "picom is not installed"
  local before
  before=$(middle_pixel)
  local options=(--backend xrender --no-fading-openclose)
  [[ $shadows == 1 ]] && options+=(--shadow)
  picom "${options[@]}" >"$work/picom.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do
    [[ $(middle_pixel) != "$before" ]] && return
    sleep 0.05
  done
  cat "$work/picom.out" >&2
  skip "picom did not start"
}

start_server
[[ $monitors == 1 ]] && split_into_two_monitors
[[ $wm == 1 ]] && start_window_manager
[[ $compositor == 1 ]] && start_compositor

export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$@"
