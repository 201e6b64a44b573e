#!/usr/bin/env python3
"""check_large_report.py PROGRAM BROWSER_TEST: the report page of a large
system, in headless Chromium.

Generates one well-conditioned (diagonally dominant) random system of 300
unknowns, runs PROGRAM on it in sampling mode (few samples and bands, so the
run takes seconds), and checks with BROWSER_TEST (report_browser_test.py)
that the page draws without script errors: the charts of one unknown (a
histogram and a range chart per family) and the heat maps of |A| and
|A^-1|, the first rows of the overview of every unknown, within a size that
keeps a 1,000-unknown page under 5 MB. Exits 1 on a failure."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from random_system_folder import random_system, write_folder  # noqa: E402

N = 300
SETTINGS = """Dimensions {n}
SolverThreadCount 2
GeneratorThreadCount 1
IntegrationPrecision 2
HistogramPrecision 10
MaxMatrix 1
ExactDistributions 0
SampleCount 200
"""
CHARTS = 3 * 2 + 2       # per family a histogram and a range chart; two heat maps
OVERVIEW_ROWS = 50       # rows shown before "show all"
MAX_BYTES = 3_000_000


def main():
    if len(sys.argv) != 3:
        print("usage: check_large_report.py PROGRAM BROWSER_TEST", file=sys.stderr)
        return 2
    program, browser_test = sys.argv[1:]
    with tempfile.TemporaryDirectory(prefix="linprob_large_report_") as folder:
        write_folder(folder, [random_system(N, 1, 7, dominant=True)], SETTINGS.format(n=N))
        run = subprocess.run([program, "--quiet", "--seed", "1"], cwd=folder,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=900)
        if run.returncode != 0:
            print("FAIL: the run ended with status %d\n%s" % (run.returncode, run.stderr.decode()[-2000:]),
                  file=sys.stderr)
            return 1
        page = os.path.join(folder, "Report", "index.html")
        checked = subprocess.run([sys.executable, browser_test, page, "--expect-charts", str(CHARTS),
                                  "--expect-overview-rows", str(OVERVIEW_ROWS), "--max-bytes", str(MAX_BYTES)])
        return 0 if checked.returncode == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
