"""linprob from Python, first steps: a system built with numpy, analysed,
its worst unknowns printed, and one histogram drawn beside its normal
approximation into a PNG.

    python3 docs/examples/quickstart.py [PNG]     (default: quickstart.png)
"""

import sys

import matplotlib

matplotlib.use("Agg")  # a file, no window
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import linprob  # noqa: E402

# A 4 x 4 system whose right-hand side is uncertain by up to 5 %.
rng = np.random.default_rng(1)
matrix = rng.uniform(-1.0, 1.0, (4, 4)) + 4.0 * np.eye(4)
rhs = np.array([1.0, 2.0, 3.0, 4.0])
spread = 0.05 * np.abs(rhs)
system = linprob.System(
    matrix, rhs,
    interval=np.column_stack([rhs - spread, rhs + spread]),
    normal=np.column_stack([rhs, (spread / 2) ** 2]),
    uniform=np.column_stack([rhs - spread, rhs + spread]))

# Every combination of 20 cells per entry, every pivoting mode.
result = linprob.analyze(system, cells=20, bands=12)
print(f"linprob {linprob.__version__}: {result}")

# The unknowns whose normal approximation is furthest from the histogram.
worst = (result.unknowns
         .sort_values("invalid_total_variation", ascending=False)
         [["mode", "family", "unknown", "invalid_total_variation",
           "coverage_symmetric_lower", "coverage_symmetric_upper"]]
         .head(5))
print(worst.to_string(index=False))

# The worst one's histogram beside its normal approximation.
top = worst.iloc[0]
frame = result.histogram(0, top["mode"], top["family"], int(top["unknown"]))
middle = (frame["lower"] + frame["upper"]) / 2
width = frame["upper"] - frame["lower"]
plt.bar(middle, frame["valid"], width=width, alpha=0.5, label="histogram (VALID)")
plt.plot(middle, frame["invalid"], "o-", label="normal approximation (INVALID)")
plt.xlabel(f"x{int(top['unknown'])} ({top['mode']}, {top['family']})")
plt.ylabel("probability of the band")
plt.legend()
output = sys.argv[1] if len(sys.argv) > 1 else "quickstart.png"
plt.savefig(output, dpi=100)
print(f"Histogram: {output}")
