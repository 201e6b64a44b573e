#!/usr/bin/env python3
"""Opens a report page (Report/index.html) in headless Chromium and checks that
it was drawn: no script error was recorded on <body data-script-errors>, every
<canvas> holds a drawn chart (data-charts-drawn equals the number of canvases
and is above 0), no markup from the data became an element (no <img>, no
error banner), and a screenshot of the page is not blank.

    report_browser_test.py REPORT.html [--expect-charts N] [--max-bytes B]
                           [--expect-overview-rows R]
                           [--max-render-ms MS] [--max-all-drawn-ms MS]
                           [--keep-screenshot PNG]
                           [--expect-share-charts N] [--expect-heat-maps N]
                           [--expect-convergence-charts N]
                           [--expect-text TEXT ...]

The share charts, heat maps and convergence charts are the canvases of the
variance-share cards (<figure class="card shares">, "card heat-map") and of
the convergence cards ("card convergence"); each --expect-text must occur in
the page's text after its scripts ran.

--expect-overview-rows: the overview tables of the systems show R rows of
unknowns together.

--max-render-ms: the page and the charts of its first two screens drawn
within MS of navigation (data-render-ms); --max-all-drawn-ms: every chart,
the lower ones drawn in slices after the page appears (data-all-drawn-ms).

Any missing piece (Chromium, the file) is a failure, never a skip. Prints the
page size, the number of charts and the times the page took to draw. Needs
Debian's chromium and python3 only (standard library)."""

import argparse
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

CHROMIUM_FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--hide-scrollbars", "--virtual-time-budget=20000",
]
SCREEN = (1280, 1600)


class Failure(Exception):
    pass


def chromium_binary():
    name = os.environ.get("LINPROB_CHROMIUM", "chromium")
    found = shutil.which(name)
    if not found:
        raise Failure(name + ": not found (install the Debian package chromium)")
    return found


def run_chromium(binary, profile, extra, url):
    command = [binary] + CHROMIUM_FLAGS + ["--user-data-dir=" + profile] + extra + [url]
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=180)
    except subprocess.TimeoutExpired:
        raise Failure("chromium: no answer within 180 s")
    if done.returncode != 0:
        raise Failure("chromium: exit status %d\n%s" % (done.returncode, done.stderr.decode(errors="replace")[-2000:]))
    return done.stdout.decode("utf-8", errors="replace")


class PageDump(html.parser.HTMLParser):
    """The parts of the page, after its scripts ran, that the checks read."""

    def __init__(self):
        super().__init__()
        self.body = None
        self.canvases = 0
        self.images = 0
        self.script_links = 0
        self.fatal = []
        self.results_element = False
        self.overview_rows = 0
        self._in_fatal = 0
        self.share_charts = 0
        self.heat_maps = 0
        self.convergence_charts = 0
        self.text = []
        self._figures = []

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "body" and self.body is None:
            self.body = attributes
        elif tag == "canvas":
            self.canvases += 1
            kinds = self._figures[-1] if self._figures else set()
            self.share_charts += "shares" in kinds
            self.heat_maps += "heat-map" in kinds
            self.convergence_charts += "convergence" in kinds
        elif tag == "img":
            self.images += 1
        elif tag == "a" and (attributes.get("href") or "").strip().lower().startswith("javascript:"):
            self.script_links += 1
        elif tag == "script" and attributes.get("id") == "results":
            self.results_element = True
        classes = (attributes.get("class") or "").split()
        if tag == "tr" and "pick" in classes:
            self.overview_rows += 1
        if tag == "figure":
            self._figures.append(set(classes))
        if "fatal" in classes and "no-script" not in classes:
            self.fatal.append("")
            self._in_fatal += 1

    def handle_endtag(self, tag):
        if tag == "figure" and self._figures:
            self._figures.pop()
        if self._in_fatal and tag == "p":
            self._in_fatal -= 1

    def handle_data(self, data):
        self.text.append(data)
        if self._in_fatal:
            self.fatal[-1] += data


def png_pixels(path):
    """Width, height and the RGB(A) rows of an 8-bit RGB or RGBA PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise Failure(path + ": not a PNG file")
    at, idat, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        chunk = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat.append(chunk)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise Failure(path + ": unexpected PNG format (depth %d, colour type %d)" % (depth, colour))
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    prev = bytearray(stride)
    rows = []
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        row = bytearray(raw[start + 1:start + 1 + stride])
        if kind == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif kind == 2:
            row = bytearray((a + b) & 255 for a, b in zip(row, prev))
        elif kind == 3:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + ((left + prev[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                a = row[i - bpp] if i >= bpp else 0
                b = prev[i]
                c = prev[i - bpp] if i >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                row[i] = (row[i] + predictor) & 255
        rows.append(row)
        prev = row
    return width, height, bpp, rows


def screenshot_check(path):
    width, height, bpp, rows = png_pixels(path)
    counts = {}
    for row in rows:
        for i in range(0, len(row), bpp):
            key = bytes(row[i:i + 3])
            counts[key] = counts.get(key, 0) + 1
    total = width * height
    background = max(counts.values())
    distinct = len(counts)
    drawn = 1.0 - background / total
    if distinct < 64 or drawn < 0.05:
        raise Failure("screenshot looks blank: %d distinct colours, %.1f %% of pixels off the background"
                      % (distinct, 100 * drawn))
    return distinct, drawn


def check(report, expect_charts, max_bytes, max_render_ms, keep_screenshot,
          expect_shares=None, expect_heat_maps=None, expect_texts=(), expect_rows=None,
          expect_convergence=None, max_all_drawn_ms=None):
    if not os.path.isfile(report):
        raise Failure(report + ": not found")
    size = os.path.getsize(report)
    if size > max_bytes:
        raise Failure("%s: %d bytes, above the limit of %d" % (report, size, max_bytes))
    binary = chromium_binary()
    url = "file://" + os.path.abspath(report)
    with tempfile.TemporaryDirectory(prefix="linprob_browser_") as scratch:
        started = time.monotonic()
        dom = run_chromium(binary, os.path.join(scratch, "profile-dom"),
                           ["--window-size=%d,%d" % SCREEN, "--dump-dom"], url)
        wall = time.monotonic() - started
        page = PageDump()
        page.feed(dom)
        if page.body is None:
            raise Failure("the dumped page has no <body>")
        errors = page.body.get("data-script-errors")
        if errors is None:
            raise Failure("<body> lost data-script-errors: the error recorder did not run")
        if errors:
            raise Failure("script errors: " + errors)
        if page.fatal:
            raise Failure("the page shows an error: " + " | ".join(t.strip() for t in page.fatal))
        if not page.results_element:
            raise Failure("the results element is missing from the page")
        drawn = page.body.get("data-charts-drawn")
        if drawn is None:
            raise Failure("data-charts-drawn was never set: the charts did not finish")
        drawn = int(drawn)
        if drawn <= 0 or drawn != page.canvases:
            raise Failure("%d charts drawn for %d canvases" % (drawn, page.canvases))
        if expect_charts is not None and drawn != expect_charts:
            raise Failure("%d charts drawn, expected %d" % (drawn, expect_charts))
        if expect_rows is not None and page.overview_rows != expect_rows:
            raise Failure("%d rows in the overview tables, expected %d" % (page.overview_rows, expect_rows))
        if expect_shares is not None and page.share_charts != expect_shares:
            raise Failure("%d share charts, expected %d" % (page.share_charts, expect_shares))
        if expect_heat_maps is not None and page.heat_maps != expect_heat_maps:
            raise Failure("%d heat maps, expected %d" % (page.heat_maps, expect_heat_maps))
        if expect_convergence is not None and page.convergence_charts != expect_convergence:
            raise Failure("%d convergence charts, expected %d" % (page.convergence_charts, expect_convergence))
        text = " ".join("".join(page.text).split())
        for wanted in expect_texts:
            if wanted not in text:
                raise Failure("the page does not say: " + wanted)
        if page.images:
            raise Failure("%d <img> elements: text from the data became markup" % page.images)
        if page.script_links:
            raise Failure("%d links to javascript: from the data" % page.script_links)
        render_ms = int(page.body.get("data-render-ms", "-1"))
        if max_render_ms is not None and not 0 <= render_ms <= max_render_ms:
            raise Failure("drawn in %d ms, above the limit of %d ms" % (render_ms, max_render_ms))
        all_drawn_ms = int(page.body.get("data-all-drawn-ms", "-1"))
        if not render_ms <= all_drawn_ms:
            raise Failure("every chart drawn at %d ms, before the first screen at %d ms" % (all_drawn_ms, render_ms))
        if max_all_drawn_ms is not None and all_drawn_ms > max_all_drawn_ms:
            raise Failure("every chart drawn in %d ms, above the limit of %d ms" % (all_drawn_ms, max_all_drawn_ms))

        shot = keep_screenshot or os.path.join(scratch, "screenshot.png")
        run_chromium(binary, os.path.join(scratch, "profile-shot"),
                     ["--window-size=%d,%d" % SCREEN, "--screenshot=" + os.path.abspath(shot)], url)
        if not os.path.isfile(shot):
            raise Failure("chromium wrote no screenshot")
        distinct, share = screenshot_check(shot)
    print("%s: %d bytes, %d charts drawn, page drawn %d ms and every chart %d ms after navigation "
          "(chromium run %.1f s), screenshot %d colours, %.0f %% drawn"
          % (report, size, drawn, render_ms, all_drawn_ms, wall, distinct, 100 * share))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("report")
    parser.add_argument("--expect-charts", type=int)
    parser.add_argument("--max-bytes", type=int, default=2_000_000)
    parser.add_argument("--max-render-ms", type=int)
    parser.add_argument("--max-all-drawn-ms", type=int)
    parser.add_argument("--expect-overview-rows", type=int)
    parser.add_argument("--keep-screenshot")
    parser.add_argument("--expect-share-charts", type=int)
    parser.add_argument("--expect-heat-maps", type=int)
    parser.add_argument("--expect-convergence-charts", type=int)
    parser.add_argument("--expect-text", action="append", default=[])
    args = parser.parse_args()
    try:
        check(args.report, args.expect_charts, args.max_bytes, args.max_render_ms, args.keep_screenshot,
              args.expect_share_charts, args.expect_heat_maps, args.expect_text,
              args.expect_overview_rows, args.expect_convergence_charts, args.max_all_drawn_ms)
    except Failure as failure:
        print("FAIL: " + str(failure), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
