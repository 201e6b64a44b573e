"""A working directory written from System objects, and the program's
messages about its files told in the names of the Python arguments."""

from __future__ import annotations

import os
import re
from typing import Sequence

import numpy as np

from . import _native
from ._system import PARAMETER_ARGUMENTS, System

# The input files of a system folder and the System argument each holds.
FILE_ARGUMENTS = {
    "Matice.txt": "matrix",
    "RealRHS.txt": "rhs",
    "IntRHS.txt": "interval",
    **PARAMETER_ARGUMENTS,
}

_FILE_NAME = re.compile(r"Matrix(\d+)/(" + "|".join(re.escape(name) for name in FILE_ARGUMENTS) + ")")


def _number(value: float) -> str:
    """The shortest text that reads back as the same double."""
    return repr(float(value))


def _write_rows(path: str, array: np.ndarray) -> None:
    """Writes a 1-D array one number a line, a 2-D one one row a line."""
    rows = array.reshape(len(array), -1)
    with open(path, "w", encoding="ascii") as out:
        out.writelines(" ".join(map(_number, row)) + "\n" for row in rows)


def write_workdir(folder: str, systems: Sequence[System],
                  settings: dict[str, int]) -> None:
    """Writes Settings.txt and Matrix<i>/ for every system into `folder`.
    A family a system does not run is given stand-in parameters (the
    interval's), whose results the caller leaves out."""
    with open(os.path.join(folder, "Settings.txt"), "w", encoding="ascii") as out:
        out.writelines(f"{name} {value}\n" for name, value in settings.items())
    for index, system in enumerate(systems):
        path = os.path.join(folder, f"Matrix{index}")
        os.mkdir(path)
        for name, argument in FILE_ARGUMENTS.items():
            array = getattr(system, argument)
            if array is None:
                # A family that is not run reads the program's stand-in
                # for the interval's spread.
                low, high = system.interval[:, 0], system.interval[:, 1]
                array = np.reshape(_native.stand_in(name, low, high), (system.size, -1))
            _write_rows(os.path.join(path, name), array)


def argument_message(line: str) -> str:
    """A message of the program with each system file named as the Python
    argument that held it: 'Matrix1/Matice.txt' becomes
    'systems[1].matrix'."""
    return _FILE_NAME.sub(
        lambda m: f"systems[{m.group(1)}].{FILE_ARGUMENTS[m.group(2)]}", line)
