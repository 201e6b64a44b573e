"""The bundled example through linprob.analyze, timed: prints the wall
time in seconds of analyze() on its five systems with the settings of its
Settings.txt and `threads` solver threads.

    PYTHONPATH=build/python python3 bench/python_example.py EXAMPLES THREADS
"""

import pathlib
import sys
import time

import numpy as np

import linprob


def main() -> None:
    """Loads the example, runs analyze() once, prints the seconds."""
    folder = pathlib.Path(sys.argv[1])
    threads = int(sys.argv[2])
    settings = dict(line.split() for line in (folder / "Settings.txt").read_text().splitlines())
    systems = []
    for index in range(int(settings["MaxMatrix"])):
        load = lambda name: np.loadtxt(folder / f"Matrix{index}" / name, ndmin=2)  # noqa: E731
        rhs = load("RealRHS.txt").ravel()
        systems.append(linprob.System(load("Matice.txt").reshape(len(rhs), -1), rhs,
                                      load("IntRHS.txt"), normal=load("NormalRHS.txt"),
                                      uniform=load("UniformRHS.txt")))
    enumeration = settings["ExactDistributions"] == "1"
    start = time.perf_counter()
    linprob.analyze(systems, points="enumeration" if enumeration else "random",
                    cells=int(settings["IntegrationPrecision"]),
                    samples=int(settings["SampleCount"]),
                    bands=int(settings["HistogramPrecision"]), threads=threads,
                    progress=False)
    print(f"{time.perf_counter() - start:.2f}")


if __name__ == "__main__":
    main()
