"""linprob.System: one square system A x = b with its uncertain b."""

from __future__ import annotations

from typing import Optional

import numpy as np
import numpy.typing as npt

from . import _native
from ._errors import InputError

# The System argument that holds each parameter file of the program
# (_native.parameter_files(); a test holds the two to the same files).
PARAMETER_ARGUMENTS = {
    "NormalRHS.txt": "normal",
    "UniformRHS.txt": "uniform",
    "LognormalRHS.txt": "lognormal",
    "DataRHS.txt": "data",
}
# The random matrices' files and the System argument each holds.
RANDOM_MATRIX_ARGUMENTS = {
    "NormalMatice.txt": "normal_matrix",
    "UniformMatice.txt": "uniform_matrix",
}


def _array(name: str, value: npt.ArrayLike, shape: tuple[int, ...]) -> np.ndarray:
    """`value` as a C-ordered float64 array of `shape`, without a copy where
    its layout allows; InputError naming `name` when it cannot be one."""
    try:
        array = np.asarray(value, dtype=np.float64, order="C")
    except (TypeError, ValueError) as error:
        raise InputError(f"{name}: not an array of numbers ({error})") from None
    if array.shape != shape:
        raise InputError(f"{name}: shape {array.shape}, expected {shape}")
    bad = np.argwhere(~np.isfinite(array))
    if len(bad):
        position = ", ".join(str(int(k)) for k in bad[0])
        raise InputError(f"{name}[{position}]: {array[tuple(bad[0])]!r} is not finite")
    return array


def _ordered_pairs(name: str, pairs: np.ndarray) -> None:
    """Refuses a pair whose lower end lies above its upper end."""
    above = np.nonzero(pairs[:, 0] > pairs[:, 1])[0]
    if len(above):
        i = int(above[0])
        raise InputError(
            f"{name}[{i}]: pair {i} has its lower end above its upper end "
            f"({pairs[i, 0]!r} > {pairs[i, 1]!r})")


_LOWER_ABOVE_UPPER = "has its lower end above its upper end ({0} > {1})"


def _refuse_coefficient(name: str, pairs: np.ndarray, bad: np.ndarray,
                        what: str) -> None:
    """Refuses the first coefficient (i, j) of an (n, n, 2) array where
    `bad` holds, saying `what` of its pair."""
    found = np.argwhere(bad)
    if len(found):
        i, j = (int(k) for k in found[0])
        raise InputError(f"{name}[{i}, {j}]: row {i}, column {j} "
                         + what.format(*(repr(v) for v in pairs[i, j])))


def _refuse_where(name: str, pairs: np.ndarray, column: int, bad: np.ndarray,
                  what: str) -> None:
    """Refuses the first pair where `bad` holds, naming its number in
    `column` as `what`."""
    found = np.nonzero(bad)[0]
    if len(found):
        i = int(found[0])
        raise InputError(f"{name}[{i}, {column}]: pair {i} has {what} "
                         f"({pairs[i, column]!r})")


class System:
    """One square system A x = b whose right-hand side b is uncertain.

    matrix: (n, n) A; rhs: (n,) the plain b; interval: (n, 2) b's entries
    as [lower, upper] intervals; normal: (n, 2) means and variances of the
    normal family; uniform: (n, 2) lower and upper ends of the uniform and
    triangular families; lognormal: (n, 2) means (positive) and variances
    of the entries themselves (not of their logarithms) for the lognormal
    family; data: (n, m) m >= 2 measured values of each entry, in any
    order, for the data family (each value of an entry taken with
    probability 1/m; enumeration takes m cells per entry, m**n jobs,
    whatever `cells` says); correlation: (n, n) the correlation matrix of
    the entries, which every family then takes through a Gaussian copula
    (each entry keeping its own law; enumeration takes the cells of
    independent standard normals through it; only the normal family keeps
    its exact references, shares and truth, the others' are left out with
    the reason); interval_matrix: (n, n, 2) the lower and upper end of each
    coefficient of an uncertain matrix [A], whose enclosures of the
    solutions of [A] x = [b] (b the interval) the result's document holds
    under "interval_matrix" (see the command line's IntMatice.txt);
    normal_matrix: (n, n, 2) means and variances of a random matrix of the
    normal family, uniform_matrix: (n, n, 2) lower and upper ends of one of
    the uniform and triangular families (each job then draws A with b and
    eliminates it afresh; INVALID is the first-order approximation; see the
    command line's NormalMatice.txt and UniformMatice.txt; each needs its
    family's own parameters). A
    family whose parameters are not given is not run
    (its rows are left out of the result). Shapes, finite values and the
    order of the pairs are checked at once (InputError), and so is the
    matrix, by the program's own check under every pivoting mode (a matrix
    singular or too ill-conditioned to analyse is refused in its words;
    about two seconds at 1,000 unknowns on two cores).
    Arrays of float64 in C order are kept without a copy.
    """

    matrix: np.ndarray
    rhs: np.ndarray
    interval: np.ndarray
    normal: Optional[np.ndarray]
    uniform: Optional[np.ndarray]
    lognormal: Optional[np.ndarray]
    data: Optional[np.ndarray]
    correlation: Optional[np.ndarray]
    interval_matrix: Optional[np.ndarray]
    normal_matrix: Optional[np.ndarray]
    uniform_matrix: Optional[np.ndarray]

    def __init__(self, matrix: npt.ArrayLike, rhs: npt.ArrayLike,
                 interval: npt.ArrayLike, normal: Optional[npt.ArrayLike] = None,
                 uniform: Optional[npt.ArrayLike] = None,
                 lognormal: Optional[npt.ArrayLike] = None,
                 data: Optional[npt.ArrayLike] = None,
                 correlation: Optional[npt.ArrayLike] = None,
                 interval_matrix: Optional[npt.ArrayLike] = None,
                 normal_matrix: Optional[npt.ArrayLike] = None,
                 uniform_matrix: Optional[npt.ArrayLike] = None) -> None:
        shape = np.shape(matrix)
        if len(shape) != 2 or shape[0] != shape[1] or shape[0] < 1:
            raise InputError(f"matrix: shape {shape}, expected a square (n, n)")
        n = shape[0]
        self.matrix = _array("matrix", matrix, (n, n))
        self.rhs = _array("rhs", rhs, (n,))
        self.interval = _array("interval", interval, (n, 2))
        _ordered_pairs("interval", self.interval)
        self.normal = None if normal is None else _array("normal", normal, (n, 2))
        if self.normal is not None:
            _refuse_where("normal", self.normal, 1, self.normal[:, 1] < 0,
                          "a negative variance")
        self.uniform = None if uniform is None else _array("uniform", uniform, (n, 2))
        if self.uniform is not None:
            _ordered_pairs("uniform", self.uniform)
        self.lognormal = None if lognormal is None else _array("lognormal", lognormal, (n, 2))
        if self.lognormal is not None:
            _refuse_where("lognormal", self.lognormal, 1, self.lognormal[:, 1] < 0,
                          "a negative variance")
            _refuse_where("lognormal", self.lognormal, 0, self.lognormal[:, 0] <= 0,
                          "a mean that is not positive")
        self.data = None
        if data is not None:
            width = np.shape(data)
            if len(width) != 2 or width[0] != n or width[1] < 2:
                raise InputError(f"data: shape {width}, expected (n, m) = ({n}, m) "
                                 "with at least 2 values per entry")
            self.data = _array("data", data, (n, width[1]))
        self.correlation = (None if correlation is None
                            else _array("correlation", correlation, (n, n)))
        self.interval_matrix = None
        if interval_matrix is not None:
            self.interval_matrix = _array("interval_matrix", interval_matrix, (n, n, 2))
            _refuse_coefficient("interval_matrix", self.interval_matrix,
                                self.interval_matrix[:, :, 0] > self.interval_matrix[:, :, 1],
                                _LOWER_ABOVE_UPPER)
        self.normal_matrix = None
        if normal_matrix is not None:
            if self.normal is None:
                raise InputError("normal_matrix: the normal family is not run "
                                 "(normal is not given)")
            self.normal_matrix = _array("normal_matrix", normal_matrix, (n, n, 2))
            _refuse_coefficient("normal_matrix", self.normal_matrix,
                                self.normal_matrix[:, :, 1] < 0,
                                "has a negative variance ({1})")
        self.uniform_matrix = None
        if uniform_matrix is not None:
            if self.uniform is None:
                raise InputError("uniform_matrix: the uniform and triangular "
                                 "families are not run (uniform is not given)")
            self.uniform_matrix = _array("uniform_matrix", uniform_matrix, (n, n, 2))
            _refuse_coefficient("uniform_matrix", self.uniform_matrix,
                                self.uniform_matrix[:, :, 0] > self.uniform_matrix[:, :, 1],
                                _LOWER_ABOVE_UPPER)
        # The program's own check of the matrix under every pivoting mode:
        # a matrix it would refuse is refused here, in its words.
        problems = _native.check_matrix(self.matrix)
        if problems:
            raise InputError("\n".join(
                "matrix: " + problem.split(": ", 1)[-1] for problem in problems))

    @property
    def size(self) -> int:
        """The number of unknowns n."""
        return int(self.rhs.shape[0])

    def families(self) -> list[str]:
        """The families this system runs, in the program's order: those
        whose parameters were given ('Triangular', 'Normal', 'Uniform',
        'Lognormal', 'Data')."""
        return [name for name, file in _native.families()
                if getattr(self, PARAMETER_ARGUMENTS[file]) is not None]

    def __repr__(self) -> str:
        return f"linprob.System(n={self.size}, families={self.families()})"
