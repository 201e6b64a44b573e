#!/usr/bin/env python3
"""check_many_systems_report.py PROGRAM: the report of a run of many small
systems, in headless Chromium.

Generates 200 well-conditioned systems of 2 unknowns, runs PROGRAM on them in
enumeration with few cells and bands (seconds of processor time), and checks
that Report/index.html stays within 5 MB (the page once grew by some 32 kB a
system), draws the worst systems without script errors and lists the others
with links to their own pages; that a page so linked draws its system; and
that the pages of their own share one copy of the page's code. Exits 1 on a
failure."""

import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, HERE)
from random_system_folder import random_system, write_folder  # noqa: E402
import report_browser_test as browser  # noqa: E402

SYSTEMS = 200
SETTINGS = """Dimensions 2
SolverThreadCount 1
GeneratorThreadCount 1
IntegrationPrecision 2
HistogramPrecision 10
MaxMatrix {systems}
ExactDistributions 1
SampleCount 100
"""
DRAWN = 10                      # systems the index draws (kMostPageSystems)
CHARTS_PER_SYSTEM = 2 * 7 + 1   # per unknown 3 histograms, 3 ranges, shares; the heat map
MAX_INDEX_BYTES = 5_000_000
MAX_OWN_PAGE_BYTES = 200_000
OWN_PAGE = re.compile(r'href="(systems/system-([0-9]+)\.html)"')


def main():
    if len(sys.argv) != 2:
        print("usage: check_many_systems_report.py PROGRAM", file=sys.stderr)
        return 2
    program = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="linprob_many_systems_") as folder:
        write_folder(folder, [random_system(2, 1, 100 + i, dominant=True) for i in range(SYSTEMS)],
                     SETTINGS.format(systems=SYSTEMS))
        run = subprocess.run([program, "--quiet"], cwd=folder,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=900)
        if run.returncode != 0:
            print("FAIL: the run ended with status %d\n%s" % (run.returncode, run.stderr.decode()[-2000:]),
                  file=sys.stderr)
            return 1
        report = os.path.join(folder, "Report")
        index = os.path.join(report, "index.html")
        try:
            browser.check(index, DRAWN * CHARTS_PER_SYSTEM, MAX_INDEX_BYTES, None, None)
            pages = sorted(name for name in os.listdir(os.path.join(report, "systems"))
                           if name.endswith(".html"))
            if len(pages) != SYSTEMS - DRAWN:
                raise browser.Failure("%d pages of their own, expected %d" % (len(pages), SYSTEMS - DRAWN))
            for shared in ("report.js", "report.css"):
                if not os.path.isfile(os.path.join(report, "systems", shared)):
                    raise browser.Failure("systems/%s is missing" % shared)
            largest = max(os.path.getsize(os.path.join(report, "systems", p)) for p in pages)
            if largest > MAX_OWN_PAGE_BYTES:
                raise browser.Failure("a page of its own of %d bytes, above %d" % (largest, MAX_OWN_PAGE_BYTES))

            # A link of the list, as the browser drew it, opens a page that draws.
            with tempfile.TemporaryDirectory(prefix="linprob_browser_") as scratch:
                dom = browser.run_chromium(browser.chromium_binary(), os.path.join(scratch, "profile"),
                                           ["--window-size=%d,%d" % browser.SCREEN, "--dump-dom"],
                                           "file://" + os.path.abspath(index))
            links = OWN_PAGE.findall(dom)
            if not links:
                raise browser.Failure("the index links to no page of a system")
            target, system = links[0]
            browser.check(os.path.join(report, target), CHARTS_PER_SYSTEM, MAX_OWN_PAGE_BYTES, None, None,
                          expect_texts=["This page shows System %s of them" % system])
        except browser.Failure as failure:
            print("FAIL: " + str(failure), file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
