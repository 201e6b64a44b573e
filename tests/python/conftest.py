"""Shared fixtures of the Python package's tests: the bundled example as
System objects, and the program itself (LINPROB_BINARY, set by ctest)."""

from __future__ import annotations

import os
import pathlib
import shutil

import numpy as np
import pytest

import linprob

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples"


def example_system(index: int) -> linprob.System:
    """System `index` of the bundled example, read from its files."""
    folder = EXAMPLE / f"Matrix{index}"
    load = lambda name: np.loadtxt(folder / name, ndmin=1)  # noqa: E731
    n = load("RealRHS.txt").shape[0]
    return linprob.System(load("Matice.txt").reshape(n, n), load("RealRHS.txt"),
                          load("IntRHS.txt").reshape(n, 2),
                          normal=load("NormalRHS.txt").reshape(n, 2),
                          uniform=load("UniformRHS.txt").reshape(n, 2))


@pytest.fixture(scope="session")
def example_systems() -> list[linprob.System]:
    """The example's five systems."""
    return [example_system(i) for i in range(5)]


@pytest.fixture(scope="session")
def third_systems(example_systems) -> list[linprob.System]:
    """The example's systems with every number divided by 3: inputs whose
    doubles need all 17 digits; the second also lognormal, the third also
    measured data (three values per entry), the fourth an interval matrix
    (each coefficient widened by 1 %), the others none of these."""
    third = lambda a: a / 3.0  # noqa: E731
    return [linprob.System(third(s.matrix), third(s.rhs), third(s.interval),
                           normal=third(s.normal), uniform=third(s.uniform),
                           lognormal=(np.column_stack([np.abs(third(s.rhs)) + 1.0,
                                                       third(s.normal[:, 1])])
                                      if i == 1 else None),
                           data=(third(np.column_stack([s.rhs - 1.0, s.rhs, s.rhs + 2.5]))
                                 if i == 2 else None),
                           interval_matrix=(np.stack([third(s.matrix) - np.abs(third(s.matrix)) / 100,
                                                      third(s.matrix) + np.abs(third(s.matrix)) / 100],
                                                     axis=2)
                                            if i == 3 else None))
            for i, s in enumerate(example_systems)]


def with_random_matrix(systems: list[linprob.System]) -> list[linprob.System]:
    """`systems` with the last one's matrix random too: normal, each
    coefficient of standard deviation 2 % of it, and uniform within 2 %
    (sampled runs only: enumerated, its 20 entries of cells would be too
    many combinations)."""
    s = systems[-1]
    spread = np.abs(s.matrix) / 50
    last = linprob.System(s.matrix, s.rhs, s.interval, normal=s.normal, uniform=s.uniform,
                          normal_matrix=np.stack([s.matrix, spread**2], axis=2),
                          uniform_matrix=np.stack([s.matrix - spread, s.matrix + spread],
                                                  axis=2))
    return [*systems[:-1], last]


def write_folder(folder: pathlib.Path, systems, settings: dict[str, int]) -> None:
    """A working directory of `systems` as a person would write it with
    numpy (17 significant digits), not through linprob."""
    folder.mkdir()
    (folder / "Settings.txt").write_text(
        "".join(f"{name} {value}\n" for name, value in settings.items()))
    for index, system in enumerate(systems):
        path = folder / f"Matrix{index}"
        path.mkdir()
        for name, array in (("Matice.txt", system.matrix), ("RealRHS.txt", system.rhs),
                            ("IntRHS.txt", system.interval),
                            ("NormalRHS.txt", system.normal),
                            ("UniformRHS.txt", system.uniform),
                            ("LognormalRHS.txt", system.lognormal),
                            ("DataRHS.txt", system.data)):
            if array is not None:
                np.savetxt(path / name, array, fmt="%.17g")
        n = system.size
        for name, array in (("IntMatice.txt", system.interval_matrix),
                            ("NormalMatice.txt", system.normal_matrix),
                            ("UniformMatice.txt", system.uniform_matrix)):
            if array is not None:
                np.savetxt(path / name, array.reshape(n, 2 * n), fmt="%.17g")


@pytest.fixture()
def example_copy(tmp_path: pathlib.Path):
    """A copy of the example whose Settings.txt `settings` rewrites."""
    folder = tmp_path / "example"
    shutil.copytree(EXAMPLE, folder)

    def with_settings(settings: dict[str, int]) -> pathlib.Path:
        text = "".join(f"{name} {value}\n" for name, value in settings.items())
        (folder / "Settings.txt").write_text(text)
        return folder

    return with_settings


@pytest.fixture(scope="session")
def binary() -> str:
    """The program built beside the package."""
    path = os.environ.get("LINPROB_BINARY", "")
    if not path:
        pytest.skip("LINPROB_BINARY is not set")
    return path
