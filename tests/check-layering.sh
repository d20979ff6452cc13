#!/usr/bin/env bash
# Checks the layering of the source folders: which folders each may include,
# that widgets stay out of the headless layers, and that C library headers
# stay inside platform/, each library's in the rooms that wrap it (FFmpeg's
# in platform/media/ and platform/camera/, which only the folders that handle
# media may include).
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# platform/ holds what every room shares; its rooms, lowest first
# (docs/architecture.md). The rooms over FFmpeg are apart: only the folders
# that handle media may include them.
platform_rooms="platform platform/memory platform/threads platform/files platform/images platform/text platform/sound platform/process platform/desktop"
media_rooms="platform/media platform/camera"

# folder -> folders it may include (besides itself)
declare -A allowed=(
  [platform]=""
  [platform/memory]="platform"
  [platform/threads]="platform"
  [platform/files]="platform"
  [platform/images]="platform platform/memory platform/threads platform/files"
  [platform/text]="platform platform/memory platform/threads platform/files"
  [platform/sound]="platform platform/memory platform/threads platform/files"
  [platform/process]="platform platform/memory platform/threads platform/files"
  [platform/desktop]="platform platform/memory platform/threads platform/files"
  [platform/media]="platform platform/memory platform/threads platform/files platform/sound"
  [platform/camera]="platform platform/memory platform/threads platform/files platform/media"
  [document]="$platform_rooms"
  [document/ui]="$platform_rooms document"
  [library]="$platform_rooms document"
  [capture]="$platform_rooms document"
  [editor_ui/style]="$platform_rooms"
  [capture/ui]="$platform_rooms document capture editor_ui/style"
  [recording]="$platform_rooms $media_rooms document library"
  [camera]="$platform_rooms $media_rooms document recording"
  [recording/studio]="$platform_rooms $media_rooms document library capture recording camera"
  [app/model]="$platform_rooms $media_rooms document library capture recording camera recording/studio"
  [editor_ui]="$platform_rooms $media_rooms document document/ui library capture capture/ui recording camera recording/studio app/model editor_ui/style"
  [recording_ui]="$platform_rooms $media_rooms document document/ui library capture recording camera recording/studio app/model editor_ui editor_ui/style"
  [selftests]="$platform_rooms $media_rooms document library capture recording camera recording/studio app/model"
  [app]="$platform_rooms $media_rooms document document/ui library capture capture/ui recording camera recording/studio app/model editor_ui editor_ui/style recording_ui selftests"
)
headless="$platform_rooms $media_rooms document library capture recording camera recording/studio app/model"
widget_headers='#include <(QtWidgets/|Q(Widget|Application|Dialog|MainWindow|Label|PushButton|MenuBar|Menu|SystemTrayIcon|MessageBox|LineEdit|TextEdit|PlainTextEdit|ScrollArea|Slider|ComboBox|CheckBox|ToolButton|AbstractButton|Layout|BoxLayout|HBoxLayout|VBoxLayout|GridLayout|StackedWidget|Frame|Splitter|ListView|ListWidget|FileDialog|GraphicsView)>)'
c_libraries='#include <(xcb/|X11/|libav|libsw|libyuv|pulse/|tesseract/|leptonica/|libheif/)'
# C library headers -> the rooms that wrap them
declare -A c_library_rooms=(
  ['libheif/']="platform/images"
  ['tesseract/|leptonica/']="platform/text"
  ['pulse/']="platform/sound"
  ['xcb/|X11/']="platform/desktop"
  ['libav|libsw']="platform/media platform/camera"
  ['libyuv']="platform/media"
)

owner_of() {  # the most specific folder a file belongs to
  local file=$1
  if [[ $file == platform/*/* ]]; then local room=${file#platform/}; echo "platform/${room%%/*}"; return; fi
  for folder in document/ui capture/ui recording/studio app/model editor_ui/style; do
    [[ $file == $folder/* ]] && { echo "$folder"; return; }
  done
  echo "${file%%/*}"
}

# platform's own headers that include a C library header
c_headers=" $(grep -rlE "$c_libraries" platform --include='*.h' | tr '\n' ' ')"

status=0
while IFS= read -r file; do
  owner=$(owner_of "$file")
  [[ -v allowed[$owner] ]] || continue
  permitted=" $owner ${allowed[$owner]} "
  while IFS= read -r include; do
    target=${include#*\"}; target=${target%\"*}
    [[ $target == */* ]] || continue
    target_owner=$(owner_of "$target")
    [[ -v allowed[$target_owner] ]] || continue
    if [[ $permitted != *" $target_owner "* ]]; then
      echo "$file: $owner may not include $target"; status=1
    fi
    if [[ $owner != platform* && " $c_headers " == *" $target "* ]]; then
      echo "$file: $target brings C library headers outside platform/"; status=1
    fi
  done < <(grep -E '^#include "' "$file")
  if [[ " $headless " == *" $owner "* ]] && grep -qE "$widget_headers" "$file"; then
    echo "$file: widgets are not allowed in $owner"; status=1
  fi
  if [[ $owner != platform && $owner != platform/* ]] && grep -qE "$c_libraries" "$file"; then
    echo "$file: C library headers belong in platform/"; status=1
  fi
  for headers in "${!c_library_rooms[@]}"; do
    if [[ $owner == platform* && " ${c_library_rooms[$headers]} " != *" $owner "* ]] \
       && grep -qE "#include <($headers)" "$file"; then
      echo "$file: <$headers> headers belong in ${c_library_rooms[$headers]}"; status=1
    fi
  done
done < <(find platform document library capture recording camera app editor_ui recording_ui selftests \
           -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

[[ $status == 0 ]] && echo "layering ok"
exit $status
