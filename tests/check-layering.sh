#!/usr/bin/env bash
# Checks the layering of the source folders: which folders each may include,
# that widgets stay out of the headless layers, and that C library headers
# stay inside platform/ (FFmpeg's inside platform/media/, which only the
# folders that handle media may include).
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# folder -> folders it may include (besides itself)
declare -A allowed=(
  [platform]=""
  [platform/media]="platform"
  [document]="platform"
  [document/ui]="platform document"
  [library]="platform document"
  [capture]="platform document"
  [editor_ui/style]="platform"
  [capture/ui]="platform document capture editor_ui/style"
  [recording]="platform platform/media document library"
  [camera]="platform platform/media document recording"
  [recording/studio]="platform platform/media document library capture recording camera"
  [app/model]="platform platform/media document library capture recording camera recording/studio"
  [editor_ui]="platform platform/media document document/ui library capture capture/ui recording camera recording/studio app/model editor_ui/style"
  [recording_ui]="platform platform/media document document/ui library capture recording camera recording/studio app/model editor_ui editor_ui/style"
  [selftests]="platform platform/media document library capture recording camera recording/studio app/model"
  [app]="platform platform/media document document/ui library capture capture/ui recording camera recording/studio app/model editor_ui editor_ui/style recording_ui selftests"
)
headless="platform platform/media document library capture recording camera recording/studio app/model"
widget_headers='#include <(QtWidgets/|Q(Widget|Application|Dialog|MainWindow|Label|PushButton|MenuBar|Menu|SystemTrayIcon|MessageBox|LineEdit|TextEdit|PlainTextEdit|ScrollArea|Slider|ComboBox|CheckBox|ToolButton|AbstractButton|Layout|BoxLayout|HBoxLayout|VBoxLayout|GridLayout|StackedWidget|Frame|Splitter|ListView|ListWidget|FileDialog|GraphicsView)>)'
c_libraries='#include <(xcb/|X11/|libav|libsw|libyuv|pulse/|tesseract/|leptonica/|libheif/)'
ffmpeg_headers='#include <(libav|libsw)'

owner_of() {  # the most specific folder a file belongs to
  local file=$1
  for folder in platform/media document/ui capture/ui recording/studio app/model editor_ui/style; do
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
  if [[ $owner != platform && $owner != platform/media ]] && grep -qE "$c_libraries" "$file"; then
    echo "$file: C library headers belong in platform/"; status=1
  fi
  if [[ $owner == platform ]] && grep -qE "$ffmpeg_headers" "$file"; then
    echo "$file: FFmpeg's headers belong in platform/media/"; status=1
  fi
done < <(find platform document library capture recording camera app editor_ui recording_ui selftests \
           -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

[[ $status == 0 ]] && echo "layering ok"
exit $status
