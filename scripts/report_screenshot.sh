#!/usr/bin/env bash
# Renders a full-page screenshot of a report page with headless Chromium:
#   bash scripts/report_screenshot.sh Report/index.html report.png [width] [height]
# The page is drawn once to learn its height (data-page-height, set by the
# page when its charts are drawn), then again in a window that tall, or
# `height` pixels when given and smaller (the top of the page).
# Needs Debian's chromium; LINPROB_CHROMIUM names another binary.
set -euo pipefail

if [ $# -lt 2 ] || [ $# -gt 4 ]; then
  echo "usage: $0 REPORT.html OUT.png [WIDTH] [HEIGHT]" >&2
  exit 2
fi
report=$1
out=$2
width=${3:-1280}
max_height=32000  # taller windows are not reliably painted
top=${4:-$max_height}

chromium=${LINPROB_CHROMIUM:-chromium}
if ! command -v "$chromium" >/dev/null; then
  echo "$chromium: not found (install the Debian package chromium)" >&2
  exit 1
fi
if [ ! -f "$report" ]; then
  echo "$report: not found" >&2
  exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
       --disable-background-networking --disable-component-update --disable-sync
       --hide-scrollbars --virtual-time-budget=20000)
url="file://$(realpath "$report")"

"$chromium" "${flags[@]}" --user-data-dir="$scratch/measure" \
  --window-size="$width,1000" --dump-dom "$url" >"$scratch/page.html" 2>"$scratch/log" || {
  echo "chromium failed:" >&2
  tail -20 "$scratch/log" >&2
  exit 1
}
height=$(grep -o 'data-page-height="[0-9]*"' "$scratch/page.html" | head -1 | tr -dc 0-9)
if [ -z "$height" ]; then
  echo "$report: the page did not finish drawing (no data-page-height)" >&2
  exit 1
fi
if [ "$height" -gt "$top" ]; then
  echo "the page is $height px tall; the picture shows the top $top px" >&2
  height=$top
fi

"$chromium" "${flags[@]}" --user-data-dir="$scratch/shot" \
  --window-size="$width,$height" --screenshot="$(realpath -m "$out")" "$url" 2>"$scratch/log" || {
  echo "chromium failed:" >&2
  tail -20 "$scratch/log" >&2
  exit 1
}
echo "$out: ${width}x$height"
