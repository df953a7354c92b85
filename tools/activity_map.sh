#!/usr/bin/env bash
# Draws the activity map: the screenshot of the sampled area with every
# sampled point coloured by what getPointer answered there, and a legend.
# Usage: activity_map.sh SCREENSHOT SAMPLES OUTPUT.png
set -euo pipefail
screen=$1 samples=$2 out=$3
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
read -r _ left top right bottom step < <(head -1 "$samples" | tr -d "\r")
width=$((right - left)) height=$((bottom - top)) legend=68
mvg=$(mktemp --suffix=.mvg)
trap 'rm -f "$mvg"' EXIT
{
  echo "viewbox 0 0 $width $((height + legend))"
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
  echo "text 10,$((height + 18)) \"getPointer().active at each sampled point:\""
  row=0
  for entry in "rgb(0,170,60)|active" "rgb(255,140,0)|vetoed by a control (Edit, Button, ComboBox)" \
               "rgb(110,60,230)|vetoed by a web view" "rgb(210,30,30)|not the host's window"; do
    x=$((10 + (row % 2) * 330)) y=$((height + 26 + (row / 2) * 18))
    echo "fill ${entry%%|*} rectangle $x,$y $((x + 11)),$((y + 11))"
    echo "fill black text $((x + 17)),$((y + 11)) \"${entry#*|}\""
    row=$((row + 1))
  done
} >"$mvg"
convert "$screen" -crop "${width}x${height}+${left}+${top}" +repage \
  -background white -gravity south -splice 0x$legend +gravity \
  \( -background none "mvg:$mvg" \) \
  -composite "$out"
