#!/usr/bin/env bash
# Runs build/linprob on a copy of the bundled example and checks its report
# page in headless Chromium: drawn without script errors, all 145 charts
# (among them a share chart per unknown and a heat map per system) and the
# distances from the exact distribution in words, at most 2 MB, its first
# screens drawn within 3 s of navigation and every chart within 10 s.
# Expects a built build/linprob.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/. "$work"
(cd "$work" && "$OLDPWD/build/linprob" --quiet >"$work/console.txt")
test "$(tail -n 1 "$work/console.txt")" = "Report: Report/index.html"
python3 tests/browser/report_browser_test.py "$work/Report/index.html" \
  --expect-charts 145 --expect-share-charts 20 --expect-heat-maps 5 \
  --expect-text "the 50-cell histogram is" \
  --max-bytes 2000000 --max-render-ms 3000 --max-all-drawn-ms 10000
