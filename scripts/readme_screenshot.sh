#!/usr/bin/env bash
# Regenerates docs/report.png, the README's picture of the bundled example's
# report: runs the example (scripts/run_example.sh) and photographs the top
# of its page.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/run_example.sh >/dev/null
mkdir -p docs
bash scripts/report_screenshot.sh build/example-run/Report/index.html \
  docs/report.png 1280 2400
