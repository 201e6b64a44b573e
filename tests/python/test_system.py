"""linprob.System and the arguments of analyze(): what is refused, and how
the message names it."""

import json

import numpy as np
import pytest

import linprob

GOOD = dict(matrix=[[4.0, 1.0], [1.0, 3.0]], rhs=[1.0, 2.0],
            interval=[[0.9, 1.1], [1.8, 2.2]], normal=[[1.0, 0.0025], [2.0, 0.01]],
            uniform=[[0.9, 1.1], [1.8, 2.2]])


def with_(**changes):
    """GOOD with some arguments changed."""
    return {**GOOD, **changes}


@pytest.mark.parametrize("changes, message", [
    (dict(matrix=[[1.0, 2.0, 3.0]]), "matrix: shape (1, 3), expected a square (n, n)"),
    (dict(rhs=[1.0, 2.0, 3.0]), "rhs: shape (3,), expected (2,)"),
    (dict(interval=[0.9, 1.1]), "interval: shape (2,), expected (2, 2)"),
    (dict(normal=[[1.0, 0.1]]), "normal: shape (1, 2), expected (2, 2)"),
    (dict(rhs=["a", "b"]), "rhs: not an array of numbers"),
    (dict(matrix=[[4.0, np.nan], [1.0, 3.0]]), "matrix[0, 1]: nan is not finite"),
    (dict(uniform=[[0.9, 1.1], [1.8, np.inf]]), "uniform[1, 1]: inf is not finite"),
    (dict(interval=[[0.9, 1.1], [2.2, 1.8]]),
     "interval[1]: pair 1 has its lower end above its upper end (2.2 > 1.8)"),
    (dict(normal=[[1.0, 0.0025], [2.0, -0.5]]),
     "normal[1, 1]: pair 1 has a negative variance (-0.5)"),
    (dict(lognormal=[[1.0, 0.0025], [-2.0, 0.5]]),
     "lognormal[1, 0]: pair 1 has a mean that is not positive (-2.0)"),
    (dict(data=[[1.0], [2.0]]),
     "data: shape (2, 1), expected (n, m) = (2, m) with at least 2 values per entry"),
    (dict(data=[[1.0, np.nan, 2.0], [2.0, 3.0, 4.0]]), "data[0, 1]: nan is not finite"),
    (dict(interval_matrix=[[3.9, 4.1], [0.9, 1.1]]),
     "interval_matrix: shape (2, 2), expected (2, 2, 2)"),
    (dict(interval_matrix=[[[3.9, 4.1], [0.9, 1.1]], [[1.1, 0.9], [2.9, 3.1]]]),
     "interval_matrix[1, 0]: row 1, column 0 has its lower end above its upper end "
     "(1.1 > 0.9)"),
    (dict(normal_matrix=[[[4, 0.1], [1, 0.1]], [[1, -2.0], [3, 0.1]]]),
     "normal_matrix[1, 0]: row 1, column 0 has a negative variance (-2.0)"),
    (dict(uniform_matrix=[[[3.9, 4.1], [1.1, 0.9]], [[0.9, 1.1], [2.9, 3.1]]]),
     "uniform_matrix[0, 1]: row 0, column 1 has its lower end above its upper end "
     "(1.1 > 0.9)"),
    (dict(normal=None, normal_matrix=[[[4, 0.1], [1, 0.1]], [[1, 0.1], [3, 0.1]]]),
     "normal_matrix: the normal family is not run (normal is not given)"),
])
def test_bad_input_is_refused_naming_argument_and_position(changes, message):
    with pytest.raises(linprob.InputError) as caught:
        linprob.System(**with_(**changes))
    assert str(caught.value).startswith(message)
    assert isinstance(caught.value, ValueError)


def test_every_parameter_file_of_the_program_has_its_argument():
    from linprob import _native, _system, _workdir
    assert sorted(_system.PARAMETER_ARGUMENTS) == sorted(_native.parameter_files())
    # A family that is not run gets the program's stand-in for the
    # interval: the uniform over it, as its mean and variance or its ends.
    assert _native.stand_in("NormalRHS.txt", [0.5, 1.0], [1.5, 4.0]) == [1.0, 1 / 12, 2.5, 0.75]
    assert _native.stand_in("UniformRHS.txt", [0.5, 1.0], [1.5, 4.0]) == [0.5, 1.5, 1.0, 4.0]
    every = with_(lognormal=[[1.0, 0.0025], [2.0, 0.01]], data=[[1, 2, 3], [3, 2, 1]])
    assert linprob.System(**every).families() == [name for name, _ in _native.families()]
    assert _native.stand_in("LognormalRHS.txt", [-1.5], [-0.5]) == [1.5, 1 / 12]
    assert set(linprob.POINTS) == {"enumeration", *_native.sampling_points()}
    message = _workdir.argument_message("Matrix3/UniformRHS.txt: pair 1 ...")
    assert message == "systems[3].uniform: pair 1 ..."


def test_float64_arrays_are_kept_without_a_copy():
    matrix = np.array(GOOD["matrix"])
    system = linprob.System(**with_(matrix=matrix))
    assert np.shares_memory(system.matrix, matrix)
    assert system.families() == ["Triangular", "Normal", "Uniform"]
    assert linprob.System(**with_(normal=None)).families() == ["Triangular", "Uniform"]


@pytest.mark.parametrize("arguments, message", [
    (dict(points="grid"), "points: 'grid' is not one of"),
    (dict(modes=["row", "diagonal"]), "modes: 'diagonal' is not one of"),
    (dict(cells=0), "cells 0: at least one cell per entry is needed"),
    (dict(points="random", samples=0), "samples 0: at least one sample is needed"),
    (dict(cells=10**12), "cells 1000000000000 is out of range"),
])
def test_bad_options_are_refused(arguments, message):
    with pytest.raises(linprob.InputError, match=message):
        linprob.analyze(linprob.System(**GOOD), **arguments)


def test_systems_of_different_sizes_are_refused():
    three = linprob.System(np.eye(3), np.ones(3), np.ones((3, 2)))
    with pytest.raises(linprob.InputError,
                       match=r"systems\[1\]: 3 unknowns, systems\[0\] has 2"):
        linprob.analyze([linprob.System(**GOOD), three])


def test_singular_matrix_is_refused_at_once_by_the_program_check(tmp_path):
    singular = with_(matrix=[[1.0, 2.0], [2.0, 4.0]])
    with pytest.raises(linprob.InputError) as caught:
        linprob.System(**singular)
    message = str(caught.value)
    # The command line's words for the same matrix, the file named as the
    # argument.
    folder = tmp_path / "study"
    (folder / "Matrix0").mkdir(parents=True)
    (folder / "Matrix0" / "Matice.txt").write_text("1 2\n2 4\n")
    (folder / "Matrix0" / "RealRHS.txt").write_text("1 2\n")
    (folder / "Matrix0" / "IntRHS.txt").write_text("0.5 1.5\n1.5 2.5\n")
    (folder / "Matrix0" / "NormalRHS.txt").write_text("1 0.1\n2 0.1\n")
    (folder / "Matrix0" / "UniformRHS.txt").write_text("0.5 1.5\n1.5 2.5\n")
    (folder / "Settings.txt").write_text(
        "Dimensions 2\nSolverThreadCount 1\nGeneratorThreadCount 2\n"
        "IntegrationPrecision 4\nHistogramPrecision 5\nMaxMatrix 1\n"
        "ExactDistributions 1\nSampleCount 100\n")
    with pytest.raises(linprob.InputError) as program:
        linprob.run(folder, progress=False)
    first = str(program.value).splitlines()[0]
    assert first.startswith("Matrix0/Matice.txt: ")
    assert message.splitlines()[0] == "matrix: " + first[len("Matrix0/Matice.txt: "):]


def test_version():
    assert linprob.__version__ == linprob._native.version()
    assert linprob.__version__.count(".") == 2


def test_the_run_checks_what_it_is_handed_as_it_checks_files(tmp_path):
    # analyze() hands the arrays over in memory: the run checks them itself
    # and names the file that would have held them. It reads and writes no
    # folder (here the one it runs in): its report comes back as bytes.
    from linprob import _native
    status, errors, files = _native.run_given(
        ["--quiet", "--", str(tmp_path)], {"Dimensions": 2, "MaxMatrix": 1},
        [(np.eye(2), np.array([1.0, np.nan]), np.array([[0.0, 1.0], [0.0, 1.0]]),
          [np.ones(4), np.array([0.0, 1.0, 2.0]), np.empty(0), np.empty(0)], ["Normal"])],
        ["NoPivot"])
    assert status == 1
    assert errors.decode().splitlines() == [
        "Matrix0/RealRHS.txt: number 1 is not finite (nan)",
        "Matrix0/UniformRHS.txt: holds 3 numbers, not 4"]
    assert files == {}
    status, errors, files = _native.run_given(
        ["--quiet", "--", str(tmp_path)], {"Dimensions": 2, "MaxMatrix": 1,
                                           "IntegrationPrecision": 3},
        [(np.eye(2), np.ones(2), np.array([[0.0, 1.0], [0.0, 1.0]]),
          [np.ones(4), np.array([0.0, 1.0, 0.0, 1.0]), np.empty(0), np.empty(0)],
          ["Normal", "Uniform"])],
        ["NoPivot", "RowColPivot"])
    assert (status, errors) == (0, b"")
    assert {"results.json", "bands.csv", "results.nc", "index.html"} <= set(files)
    assert list(tmp_path.iterdir()) == []
    assert _native.systems_done() == 2
    modes = json.loads(files["results.json"])["systems"][0]["modes"]
    assert [(mode["mode"], [f["family"] for f in mode["families"]]) for mode in modes] == [
        ("NoPivot", ["Normal", "Uniform"]), ("RowColPivot", ["Normal", "Uniform"])]
