"""The systems of analyze() as the run takes them in memory, and the
program's messages about its inputs told in the names of the Python
arguments."""

from __future__ import annotations

import re
from typing import Sequence

import numpy as np

from . import _native
from ._system import PARAMETER_ARGUMENTS, RANDOM_MATRIX_ARGUMENTS, System

# The input files of a system folder and the System argument each holds.
FILE_ARGUMENTS = {
    "Matice.txt": "matrix",
    "RealRHS.txt": "rhs",
    "IntRHS.txt": "interval",
    **PARAMETER_ARGUMENTS,
    "Correlation.txt": "correlation",
    "IntMatice.txt": "interval_matrix",
    **RANDOM_MATRIX_ARGUMENTS,
}
# The options of Settings.txt that analyze() takes, by its arguments' names.
SETTING_ARGUMENTS = {
    "IntegrationPrecision": "cells",
    "SampleCount": "samples",
    "HistogramPrecision": "bands",
}

_FILE_NAME = re.compile(r"Matrix(\d+)/(" + "|".join(re.escape(name) for name in FILE_ARGUMENTS) + ")")
_SETTING_NAME = re.compile(r"Settings\.txt: (" + "|".join(SETTING_ARGUMENTS) + ") ")


def given_systems(systems: Sequence[System]) -> list[tuple]:
    """Each System as the run takes it: (matrix, rhs, interval, [the
    parameters of each parameter file, in the program's order], [the
    families it is analysed under]), the arrays themselves, which the run
    copies once. A parameter file no family of the system reads is empty
    when the program lets a system go without it, else holds stand-in
    parameters (the interval's), which the start check checks and nothing
    else reads."""
    given = []
    for system in systems:
        parameters = []
        for name in _native.parameter_files():
            array = getattr(system, PARAMETER_ARGUMENTS[name])
            if array is None and name in _native.optional_parameter_files():
                array = np.empty(0)
            elif array is None:
                # A family that is not run reads the program's stand-in
                # for the interval's spread.
                low, high = system.interval[:, 0], system.interval[:, 1]
                array = np.asarray(_native.stand_in(name, low, high))
            parameters.append(array)
        correlation = np.empty(0) if system.correlation is None else system.correlation
        ends = (np.empty(0) if system.interval_matrix is None
                else system.interval_matrix.reshape(-1))
        matrices = []
        for name in _native.random_matrix_files():
            array = (getattr(system, RANDOM_MATRIX_ARGUMENTS[name]) if name
                     else None)
            matrices.append(np.empty(0) if array is None else array.reshape(-1))
        given.append((system.matrix, system.rhs, system.interval, parameters,
                      system.families(), correlation, ends, matrices))
    return given


def argument_message(line: str) -> str:
    """A message of the program with each system file named as the Python
    argument that held it: 'Matrix1/Matice.txt' becomes
    'systems[1].matrix', 'Settings.txt: IntegrationPrecision 0' 'cells 0'."""
    line = _SETTING_NAME.sub(lambda m: f"{SETTING_ARGUMENTS[m.group(1)]} ", line)
    return _FILE_NAME.sub(
        lambda m: f"systems[{m.group(1)}].{FILE_ARGUMENTS[m.group(2)]}", line)
