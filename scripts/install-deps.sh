#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# Idempotent: asks apt only when something is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # libraries
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-image-formats-plugins libgl-dev
  libopencv-core-dev libopencv-imgproc-dev
  libheif-dev zlib1g-dev libpng-dev
  libtesseract-dev tesseract-ocr-chi-sim tesseract-ocr-eng
  nlohmann-json3-dev
  libxcb1-dev libxcb-randr0-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-composite0-dev
  libxcb-xtest0-dev libxcb-keysyms1-dev libxcb-damage0-dev libxcb-shape0-dev
  fonts-noto-cjk qt6-translations-l10n
  # recording: FFmpeg's libraries (libx264, libx265 and AAC inside libavcodec), libyuv for
  # colour conversion, libswscale for the pictures libyuv does not convert, PulseAudio's
  # client library, Qt Multimedia for the short sounds
  libavformat-dev libavcodec-dev libavfilter-dev libavdevice-dev libswresample-dev libswscale-dev libavutil-dev
  libyuv-dev libpulse-dev qt6-multimedia-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev tesseract-ocr python3
  xvfb openbox xdotool xclip x11-utils x11-xserver-utils xserver-xorg-core xserver-xorg-video-dummy
  # the hot-key benchmark's other program: a terminal and its area shot
  xterm ksnip
  # a compositing manager, for the recording tests that run under one
  picom
  dbus-daemon
  # screen-reader tests and the whole-program benchmarks: the accessibility bus and pyatspi
  # for Debian's /usr/bin/python3
  at-spi2-core python3-pyatspi
  # locale sources, so a test can build the German locale it runs under
  locales
  # recording tests: FFmpeg's command line makes and probes media fixtures, a private
  # PulseAudio server gives a null sink and a sine source; ffmpeg-doc holds the API examples
  ffmpeg pulseaudio ffmpeg-doc
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
