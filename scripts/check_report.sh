#!/usr/bin/env bash
# Runs build/linprob on a copy of the bundled example and checks its report
# page in headless Chromium: drawn without script errors, all 120 charts,
# at most 2 MB, drawn within 3 s of navigation. Expects a built build/linprob.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r examples/. "$work"
(cd "$work" && "$OLDPWD/build/linprob" --quiet >"$work/console.txt")
test "$(tail -n 1 "$work/console.txt")" = "Report: Report/index.html"
python3 tests/browser/report_browser_test.py "$work/Report/index.html" \
  --expect-charts 120 --max-bytes 2000000 --max-render-ms 3000
