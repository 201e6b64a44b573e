"""linprob.run and linprob.analyze: the program's run, in this process."""

from __future__ import annotations

import contextlib
import os
import warnings
from typing import Callable, Iterable, Optional, Sequence, Union

from . import _native
from ._errors import InputError, RunError
from ._progress import ProgressBar, wanted
from ._result import Result, _read_folder
from ._system import System
from ._system import PARAMETER_ARGUMENTS
from ._workdir import argument_message, given_systems

# The points of analyze(): enumeration, and the kinds --points takes.
POINTS = ("enumeration", *_native.sampling_points())
# The modes by the names analyze() takes, and as the tables name them.
MODES = {"none": "NoPivot", "row": "RowPivot", "column": "ColPivot",
         "both": "RowColPivot"}
_SIGINT_STATUS = 130


def _arguments(workdir: Optional[str], threads: Optional[int], seed: Optional[int],
               points: Optional[str], digits: Optional[int],
               report: bool) -> list[str]:
    """The command line of a run of `workdir` (None: of inputs handed over)
    with these options."""
    arguments = ["--quiet", "--no-progress"]
    if threads is not None:
        arguments += ["--threads", str(int(threads))]
    if seed is not None:
        arguments += ["--seed", str(int(seed))]
    if points is not None:
        arguments += ["--points", points]
    if digits is not None:
        arguments += ["--digits", str(int(digits))]
    if not report:
        arguments.append("--no-report")
    return arguments + (["--", workdir] if workdir is not None else [])


def _run_folder(start: Callable[[], tuple], total: int,
                progress: Optional[bool],
                tell: Callable[[str], str] = lambda line: line) -> tuple:
    """Runs the program through `start` (a call of _native's returning the
    exit status, standard error's bytes and whatever else); raises what its
    exit status means, else returns the rest. `tell` words the program's
    lines for the caller."""
    bar = ProgressBar(total) if wanted(progress) else contextlib.nullcontext()
    with bar:
        try:
            status, errors, *rest = start()
        except ValueError as error:  # a value the run's settings cannot hold
            raise InputError(tell(str(error))) from None
    lines = [tell(line) for line in errors.decode("utf-8", "replace").splitlines()]
    if status == _SIGINT_STATUS:
        raise KeyboardInterrupt("; ".join(lines))
    if status in (1, 64):
        raise InputError("\n".join(lines))
    if status != 0:
        raise RunError(f"the run ended with status {status}:\n" + "\n".join(lines))
    for line in lines:
        warnings.warn(line, RuntimeWarning, stacklevel=3)
    return tuple(rest)


def run(workdir: Union[str, os.PathLike], *, threads: Optional[int] = None,
        seed: Optional[int] = None, points: Optional[str] = None,
        digits: Optional[int] = None, progress: Optional[bool] = None) -> Result:
    """Runs the working directory `workdir` exactly as the command line
    `linprob [OPTIONS] WORKDIR` does (the same files written) and returns
    the Result read from the Report/ it wrote.

    threads: -j (0: one per hardware thread; None: SolverThreadCount);
    seed: --seed; points: --points ('random', 'sobol', 'lhs'; sampling
    runs); digits: --digits (1 ... 4); progress: a progress bar (None: when
    standard error is a terminal or in a notebook). The program's warnings
    come as RuntimeWarning; refused inputs raise InputError, a failed run
    RunError, Ctrl-C KeyboardInterrupt (the run stopped, the files it
    completed kept). The GIL is released while it runs; one run at a time
    per process, during which the process's working directory is the run's
    (restored afterwards) and SIGINT, SIGTERM and SIGHUP stop the run.
    """
    workdir = os.path.abspath(os.fspath(workdir))
    total = 4 * len([name for name in os.listdir(workdir) if name.startswith("Matrix")])
    arguments = _arguments(workdir, threads, seed, points, digits, True)
    _run_folder(lambda: _native.run_arguments(arguments), total, progress)
    return Result(_read_folder(os.path.join(workdir, "Report")))


def _mode_labels(modes: Union[str, Iterable[str]]) -> list[str]:
    """The tables' labels of `modes` ('all' or names of MODES)."""
    if isinstance(modes, str):
        modes = list(MODES) if modes == "all" else [modes]
    labels = []
    for mode in modes:
        if mode not in MODES:
            raise InputError(f"modes: {mode!r} is not one of 'all', "
                             + ", ".join(repr(name) for name in MODES))
        labels.append(MODES[mode])
    return labels


def analyze(systems: Union[System, Sequence[System]], *, points: str = "enumeration",
            cells: int = 50, samples: int = 100_000, bands: int = 10,
            modes: Union[str, Iterable[str]] = "all", digits: Optional[int] = None,
            seed: Optional[int] = None, threads: int = 0,
            progress: Optional[bool] = None) -> Result:
    """The whole analysis of the command line for `systems` (one System or
    a sequence of them, all of one size n): every pivoting mode, VALID,
    INVALID, the exact references, the measures, the shares, the truth and
    the standard errors, as a Result.

    points: 'enumeration' (every combination of `cells` cells per entry,
    IntegrationPrecision), or 'random', 'sobol', 'lhs' (`samples` samples,
    SampleCount); bands: HistogramPrecision; modes: 'all' or some of
    'none', 'row', 'column', 'both' (the modes analysed); digits: --digits;
    seed: --seed (sampling); threads: solver threads (0: one per hardware
    thread); progress: as run().

    How: the program's own run is made in this process (the GIL released)
    on the systems' arrays, each copied once into the run (no text, no
    working directory): the run keeps the files of its Report/ in memory
    (no summary files, no CSV export), and the Result reads them there. The
    numbers are therefore the command line's, bit for bit.
    The modes not asked for, and the families a System has no parameters
    for, are not computed (nor are their references), and the Result has
    no rows for them; a System needs at least one family. Errors and
    interruption as in run(); a message names the argument at fault
    ('systems[1].normal: pair 0 has a negative variance (-1)', 'cells 0:
    ...').
    """
    if isinstance(systems, System):
        systems = [systems]
    systems = list(systems)
    if not systems or not all(isinstance(s, System) for s in systems):
        raise InputError("systems: expected one linprob.System or a non-empty list of them")
    size = systems[0].size
    for index, system in enumerate(systems):
        if system.size != size:
            raise InputError(f"systems[{index}]: {system.size} unknowns, "
                             f"systems[0] has {size}; all must have the same")
    if points not in POINTS:
        raise InputError(f"points: {points!r} is not one of "
                         + ", ".join(repr(p) for p in POINTS))
    labels = _mode_labels(modes)
    settings = {
        "Dimensions": size, "SolverThreadCount": 1, "GeneratorThreadCount": 2,
        "IntegrationPrecision": int(cells), "HistogramPrecision": int(bands),
        "MaxMatrix": len(systems), "ExactDistributions": int(points == "enumeration"),
        "SampleCount": int(samples),
    }
    for index, system in enumerate(systems):
        if not system.families():
            raise InputError(f"systems[{index}]: no family to analyse: give "
                             + " or ".join(sorted(set(PARAMETER_ARGUMENTS.values()))))
    given = given_systems(systems)
    arguments = _arguments(None, threads, seed,
                           None if points == "enumeration" else points, digits, True)
    (files,) = _run_folder(
        lambda: _native.run_given(arguments, settings, given, labels),
        len(labels) * len(systems), progress, argument_message)
    return Result(files)
