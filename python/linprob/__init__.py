"""linprob from Python: the probabilistic analysis of square linear systems
A x = b with an uncertain right-hand side b, numpy in, pandas out, the same
numbers as the command line `linprob`.

    import numpy as np, linprob
    system = linprob.System(np.array([[4.0, 1.0], [1.0, 3.0]]), [1.0, 2.0],
                            interval=[[0.9, 1.1], [1.8, 2.2]],
                            normal=[[1.0, 0.0025], [2.0, 0.01]],
                            uniform=[[0.9, 1.1], [1.8, 2.2]])
    result = linprob.analyze(system, cells=20)
    result.unknowns, result.bands, result.histogram(0, "NoPivot", "Normal", 1)

linprob.run(workdir) runs a working directory as the command line does;
linprob.read_report(path) reads a Report/ folder written earlier.
"""

from . import _native
from ._analyze import MODES, POINTS, analyze, run
from ._errors import InputError, RunError
from ._result import Result, read_report
from ._system import System

__version__: str = _native.version()
"""The program's version (the CMake project's)."""

__all__ = ["InputError", "MODES", "POINTS", "Result", "RunError", "System",
           "analyze", "read_report", "run", "__version__"]
