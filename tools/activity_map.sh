#!/usr/bin/env bash
# Draws the activity map: the screenshot of the sampled area with every
# sampled point coloured by what getPointer answered there, and a legend in
# the platform's own terms.
# Usage: activity_map.sh windows|mac SCREENSHOT SAMPLES OUTPUT.png
#   SAMPLES: a line "area LEFT TOP RIGHT BOTTOM STEP" in screen pixels, then
#   one line "X Y K" per sampled point, K being A (active), C (vetoed by a
#   control), W (vetoed by a web view) or O (not the host's window).
set -euo pipefail
platform=$1 screen=$2 samples=$3 out=$4
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
case "$platform" in
  windows)
    title="Windows x64, under Wine: getPointer().active at each sampled point"
    control="vetoed by the control under the pointer (class Edit, Button or ComboBox)"
    web="vetoed by a web view (a window class containing \\\"WebView\\\")"
    other="not the host's window: another application's, or outside the window"
    notes=("Green inside the web view: the web content is a child window whose class lacks"
           "\\\"WebView\\\", and Windows judges only the window directly under the pointer.")
    ;;
  mac)
    title="macOS flavour, over GNUstep: getPointer().active at each sampled point"
    control="vetoed by a control (button, text field, slider...) or a view inside one"
    web="vetoed by a view whose class contains \\\"WebView\\\", or a view inside one"
    other="not the host's main window: another application's, or outside the window"
    notes=("Every view inside a web view or control is vetoed too: macOS judges the view"
           "under the pointer and every view that contains it. The title bar is active:"
           "it is part of the main window, and no view lies under it (viewClass \\\"\\\").")
    ;;
  *) echo "usage: $0 windows|mac SCREENSHOT SAMPLES OUTPUT.png" >&2; exit 2 ;;
esac
read -r _ left top right bottom step < <(head -1 "$samples" | tr -d "\r")
width=$((right - left)) height=$((bottom - top))
# Wide enough for the legend, however narrow the window.
canvas=$((width > 640 ? width : 640))
legend=$((30 + 4 * 18 + ${#notes[@]} * 16 + 10))
mvg=$(mktemp --suffix=.mvg)
trap 'rm -f "$mvg"' EXIT
{
  echo "viewbox 0 0 $canvas $((height + legend))"
  # One square per sample, half the grid step wide, so that the window shows
  # between them.
  awk -v l="$left" -v t="$top" -v h=$((step / 4)) '
    NR == 1 { next }
    {
      c = $3 == "A" ? "rgba(0,170,60,0.6)" : $3 == "C" ? "rgba(255,140,0,0.75)" : \
          $3 == "W" ? "rgba(110,60,230,0.7)" : "rgba(210,30,30,0.55)"
      printf "fill %s rectangle %d,%d %d,%d\n", c, $1 - l - h, $2 - t - h, $1 - l + h - 1, $2 - t + h - 1
    }' "$samples"
  echo "font '$font' font-size 13 fill black"
  echo "text 10,$((height + 20)) \"$title\""
  y=$((height + 30))
  for entry in "rgb(0,170,60)|active" "rgb(255,140,0)|$control" \
               "rgb(110,60,230)|$web" "rgb(210,30,30)|$other"; do
    echo "fill ${entry%%|*} rectangle 10,$y 21,$((y + 11))"
    echo "fill black text 27,$((y + 11)) \"${entry#*|}\""
    y=$((y + 18))
  done
  echo "font-size 12 fill rgb(60,60,60)"
  y=$((y + 12))
  for note in "${notes[@]}"; do
    echo "text 10,$y \"$note\""
    y=$((y + 16))
  done
} >"$mvg"
convert "$screen" -crop "${width}x${height}+${left}+${top}" +repage \
  -background white -extent "${canvas}x${height}" -gravity south -splice 0x$legend +gravity \
  \( -background none "mvg:$mvg" \) \
  -composite "$out"
