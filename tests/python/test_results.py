"""analyze() and run() against the command line: the same numbers bit for
bit, the report read back, and a run stopped by Ctrl-C."""

import json
import os
import signal
import subprocess
import threading
import time

import numpy as np
import pandas as pd
import pytest

import linprob
from conftest import with_random_matrix, write_folder

SETTINGS = {"Dimensions": 4, "SolverThreadCount": 1, "GeneratorThreadCount": 2,
            "IntegrationPrecision": 6, "HistogramPrecision": 10, "MaxMatrix": 5,
            "ExactDistributions": 1, "SampleCount": 3000}


def command_line_report(binary, folder, *options):
    """Runs the program on `folder` and reads its Report/ back."""
    subprocess.run([binary, "--quiet", *options, str(folder)], check=True,
                   stdout=subprocess.DEVNULL)
    return linprob.read_report(str(folder / "Report"))


def assert_same(ours, theirs):
    """Every table equal bit for bit (missing cells in the same places),
    and the systems' references equal."""
    for table in ("bands", "unknowns", "sensitivity"):
        pd.testing.assert_frame_equal(getattr(ours, table), getattr(theirs, table),
                                      check_exact=True)
    assert ours.systems == theirs.systems
    assert ours.seed == theirs.seed


# Every kind of points the program has (a new kind is compared too): each
# sampling kind with its own seed, the last of them with --digits.
@pytest.mark.parametrize("points", linprob.POINTS)
def test_analyze_gives_the_numbers_of_the_command_line(
        binary, tmp_path, third_systems, points):
    enumeration = points == "enumeration"
    index = linprob.POINTS.index(points)
    options = {} if enumeration else {"seed": 10 + index}
    if not enumeration and index == len(linprob.POINTS) - 1:
        options["digits"] = 1
    # Sampled, the last system's matrix is random too.
    systems = third_systems if enumeration else with_random_matrix(third_systems)
    folder = tmp_path / "study"
    write_folder(folder, systems,
                 {**SETTINGS, "ExactDistributions": int(enumeration)})
    arguments = [f"--seed={options['seed']}"] if "seed" in options else []
    arguments += [] if enumeration else [f"--points={points}"]
    arguments += [f"--digits={options['digits']}"] if "digits" in options else []
    theirs = command_line_report(binary, folder, *arguments)
    ours = linprob.analyze(systems, points=points, cells=6, samples=3000,
                           bands=10, threads=2, progress=False, **options)
    assert_same(ours, theirs)
    dataset = ours.to_xarray()
    if not enumeration:
        # The random matrix's jobs did the same in both.
        def random_matrices(result):
            return [[f["random_matrix"] for f in mode["families"]]
                    for mode in result.document["systems"][4]["modes"]]
        assert random_matrices(ours) == random_matrices(theirs)
        assert [m["file"] for m in random_matrices(ours)[1]] == [
            "UniformMatice.txt", "NormalMatice.txt", "UniformMatice.txt"]
        # results.nc holds the same, by system, mode and family.
        shares = dataset["pivot_change_share"].sel(
            system=4, mode="RowPivot", family=["Triangular", "Normal", "Uniform"])
        assert list(shares.values) == [m["pivot_change_share"]
                                       for m in random_matrices(ours)[1]]
        assert dataset["second_order_mean"].sel(system=4, mode="RowPivot",
                                                family="Normal").values.tolist() == \
            random_matrices(ours)[1][1]["second_order_mean"]
        assert np.isnan(dataset["near_singular_share"].sel(system=0)).all()
    # The systems' heads compared hold an interval matrix's enclosures too,
    # and results.nc the same ends.
    interval = ours.systems[3]["interval_matrix"]
    assert interval["regular"]
    hull = dataset["enclosure_lower"].sel(system=3, enclosure="exact hull")
    assert list(hull.values) == [pair[0] for pair in interval["enclosures"][-1]["bounds"]]
    assert dataset["interval_matrix_reason"].sel(system=3).item() == ""
    assert dataset["interval_matrix_reason"].sel(system=0).item() == \
        "the system has no interval matrix (IntMatice.txt)"
    if not enumeration:
        assert ours.seed == options["seed"]


def test_run_and_read_report_round_trip(example_copy, tmp_path, capfd):
    folder = example_copy(SETTINGS)
    result = linprob.run(folder, threads=1, progress=False)
    assert (folder / "Matrix4" / "RESULTS_TT.txt").exists()
    assert (folder / "Export" / "Results_X3.csv").exists()
    result.write_report(str(tmp_path / "copy"))
    for name in ("bands.csv", "unknowns.csv", "sensitivity.csv", "results.json",
                 "results.nc", "index.html"):
        assert (tmp_path / "copy" / name).read_bytes() == \
            (folder / "Report" / name).read_bytes()
    again = linprob.read_report(str(tmp_path / "copy"))
    assert_same(again, result)
    document = json.loads((folder / "Report" / "results.json").read_text())
    system = document["systems"][2]
    assert result.systems[2]["true_solution"] == system["true_solution"]

    histogram = result.histogram(2, "RowPivot", "Normal", 1)
    family = document["systems"][2]["modes"][1]["families"][1]["unknowns"][1]
    assert list(histogram["valid"]) == family["valid"]
    assert list(histogram["lower"]) + [histogram["upper"].iloc[-1]] == family["borders"]

    dataset = result.to_xarray()
    nc_exact = dataset["exact"].sel(system=0, mode="NoPivot").values
    table = result.unknowns
    rows = table[(table.system == 0) & (table["mode"] == "NoPivot")
                 & (table.family == "Triangular")]
    assert np.array_equal(nc_exact, rows["exact"].values)
    # The file read back where the run was made says nothing on stderr
    # (HDF5 prints its error stack per thread unless told not to).
    assert "HDF5-DIAG" not in capfd.readouterr().err


def test_modes_and_families_left_out_are_not_computed(example_systems):
    base, other = example_systems[0], example_systems[1]
    normal = linprob.System(base.matrix, base.rhs, base.interval, normal=base.normal)
    uniform = linprob.System(other.matrix, other.rhs, other.interval, uniform=other.uniform)
    result = linprob.analyze([normal, uniform], cells=4, modes=["none", "both"],
                             progress=False)
    assert set(result.unknowns["mode"]) == {"NoPivot", "RowColPivot"}
    pairs = set(zip(result.bands["system"], result.bands["family"]))
    assert pairs == {(0, "Normal"), (1, "Triangular"), (1, "Uniform")}
    assert set(zip(result.sensitivity["system"], result.sensitivity["family"])) == pairs
    # The report itself holds no more than was computed.
    assert [[mode["mode"], [f["family"] for f in mode["families"]]]
            for mode in result.document["systems"][0]["modes"]] == [
        ["NoPivot", ["Normal"]], ["RowColPivot", ["Normal"]]]
    with pytest.raises(KeyError):
        result.histogram(0, "NoPivot", "Uniform", 0)
    # What was computed is what the whole run computes, bit for bit.
    whole = linprob.analyze([base, other], cells=4, progress=False)
    for name in ("bands", "unknowns"):
        part, full = getattr(result, name), getattr(whole, name)
        keys = ["system", "mode", "family"]
        kept = full.merge(part[keys].drop_duplicates(), on=keys)
        pd.testing.assert_frame_equal(part.reset_index(drop=True),
                                      kept.reset_index(drop=True), check_exact=True)
    with pytest.raises(linprob.InputError, match=r"systems\[0\]: no family to analyse"):
        linprob.analyze(linprob.System(base.matrix, base.rhs, base.interval))


def test_invalid_run_folder_raises_input_error(tmp_path):
    (tmp_path / "Settings.txt").write_text("Dimensions 0\n")
    with pytest.raises(linprob.InputError, match="Settings.txt"):
        linprob.run(tmp_path, progress=False)


def os_threads():
    """The threads of this process."""
    return len(os.listdir("/proc/self/task"))


def test_ctrl_c_stops_a_run_within_a_second(example_systems):
    before = os_threads()
    sent = []

    def interrupt():
        sent.append(time.monotonic())
        os.kill(os.getpid(), signal.SIGINT)

    timer = threading.Timer(0.8, interrupt)
    timer.start()
    with pytest.raises(KeyboardInterrupt, match="nothing was kept"):
        linprob.analyze(example_systems, points="random", samples=50_000_000,
                        threads=2, progress=False)
    stopped = time.monotonic()
    timer.join()
    # The driver stops within a second; the margin is for a loaded machine.
    assert sent and stopped - sent[0] < 2.0
    assert os_threads() == before
    # The next run works as ever.
    assert len(linprob.analyze(example_systems[0], cells=3, progress=False).unknowns) == 48


def test_progress_bar_is_drawn_and_leaves_no_thread(example_systems, capsys):
    before = threading.enumerate()
    linprob.analyze(example_systems[:2], cells=3, progress=True)
    assert threading.enumerate() == before
    assert "8/8" in capsys.readouterr().err


def test_data_enumeration_is_the_law_of_every_combination():
    """Measured values enumerated give the masses a count of all m**n
    combinations gives, each solved exactly in rationals; the truth is that
    enumeration, and a sampled run says it has none."""
    from fractions import Fraction
    import itertools
    matrix = [[4.0, 1.0, 0.0], [1.0, 3.0, 1.0], [0.0, 1.0, 2.0]]
    data = [[0.3, -1.1, 2.7], [1.9, 0.4, -0.6], [5.2, 3.3, 4.1]]
    system = linprob.System(matrix, [1.0, 1.0, 4.0], [[-1.1, 2.7], [-0.6, 1.9], [3.3, 5.2]],
                            data=data)
    result = linprob.analyze(system, cells=7, bands=6, modes="none", progress=False)
    a = [[Fraction(v) for v in row] for row in matrix]

    def solve(b):
        # Cramer's rule on the 3 x 3 system, in rationals.
        def det(m):
            return (m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1])
                    - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0])
                    + m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]))
        whole = det(a)
        return [det([[b[r] if c == k else a[r][c] for c in range(3)] for r in range(3)]) / whole
                for k in range(3)]

    solutions = [solve([Fraction(v) for v in b]) for b in itertools.product(*data)]
    for unknown in range(3):
        frame = result.histogram(0, "NoPivot", "Data", unknown)
        lowers = [Fraction(v) for v in frame["lower"]]
        uppers = [Fraction(v) for v in frame["upper"]]
        # A value within rounding of a border may fall on either side of it
        # (each combination is solved in doubles): it may count in any band
        # it lies in, widened by a little.
        least, most = [0] * len(uppers), [0] * len(uppers)
        for x in (s[unknown] for s in solutions):
            slack = Fraction(1, 10**12) * (1 + abs(x))
            bands = [k for k in range(len(uppers))
                     if lowers[k] - slack < x <= uppers[k] + slack]
            assert bands, x
            if len(bands) == 1:
                least[bands[0]] += 1
            for k in bands:
                most[k] += 1
        for k, mass in enumerate(frame["valid"]):
            assert least[k] / 27 - 1e-15 <= mass <= most[k] / 27 + 1e-15, (unknown, k)
        assert sum(frame["valid"]) == pytest.approx(1.0, abs=1e-14)
        assert list(frame["truth"]) == list(frame["valid"])
    family = result.document["systems"][0]["modes"][0]["families"][0]
    assert family["family"] == "Data" and family["jobs"] == 27
    assert family["unknowns"][0]["truth"]["method"] == "enumeration of every combination"
    sampled = linprob.analyze(system, points="random", samples=2000, seed=3, modes="none",
                              progress=False)
    unknown = sampled.document["systems"][0]["modes"][0]["families"][0]["unknowns"][0]
    assert unknown["truth"] is None
    assert "enumeration of every combination of its values" in unknown["truth_reason"]


def test_data_beyond_a_64_bit_count_of_combinations_is_refused():
    n = 33
    system = linprob.System(np.eye(n), np.zeros(n), np.column_stack([-np.ones(n), np.ones(n)]),
                            data=np.tile([0.0, 1.0, 2.0, 3.0], (n, 1)))
    with pytest.raises(linprob.InputError, match=(
            r"systems\[0\]\.data: Data family: 4 values per entry to the power "
            r"Dimensions 33 is too many jobs to count in 64 bits")):
        linprob.analyze(system, cells=2, progress=False)


def test_correlated_uniform_and_lognormal_entries_take_their_copulas_covariance():
    """Through the Gaussian copula the uniform entries' covariance is
    sd_i sd_j (6/pi) asin(R_ij/2), the lognormal's m_i m_j (exp(R_ij s_i s_j)
    - 1): the exact linear sd of each unknown is that of A^-1 C A^-T, and the
    sampled sd lies within its standard errors of it; the triangular family,
    without a closed form, says why it has none."""
    matrix = np.array([[2.0, 1.0], [1.0, 3.0]])
    rho = -0.8
    correlation = np.array([[1.0, rho], [rho, 1.0]])
    bounds = np.array([[0.0, 2.0], [1.0, 5.0]])
    lognormal = np.array([[1.0, 0.25], [2.0, 1.0]])
    system = linprob.System(matrix, [1.0, 3.0], bounds, uniform=bounds,
                            lognormal=lognormal, correlation=correlation)
    result = linprob.analyze(system, points="random", samples=200000, seed=5,
                             modes="none", progress=False)
    inverse = np.linalg.inv(matrix)
    sd = (bounds[:, 1] - bounds[:, 0]) / np.sqrt(12.0)
    uniform_cov = np.outer(sd, sd) * 6.0 / np.pi * np.arcsin(correlation / 2.0)
    m, v = lognormal[:, 0], lognormal[:, 1]
    s = np.sqrt(np.log1p(v / m**2))
    lognormal_cov = np.outer(m, m) * np.expm1(correlation * np.outer(s, s))
    families = {f["family"]: f for f in result.document["systems"][0]["modes"][0]["families"]}
    for name, covariance in (("Uniform", uniform_cov), ("Lognormal", lognormal_cov)):
        spread = inverse @ covariance @ inverse.T
        for unknown in families[name]["unknowns"]:
            k = unknown["unknown"]
            assert unknown["exact_linear"]["sd"] == pytest.approx(np.sqrt(spread[k, k]),
                                                                 rel=1e-14)
            error = unknown["standard_error"]["moments"]["sd"]
            factor = unknown["standard_error"]["coverage_factor"]
            assert abs(unknown["moments"]["sd"] - np.sqrt(spread[k, k])) <= factor * error
    assert families["Triangular"]["unknowns"][0]["exact_linear"] is None
    assert "no closed form" in result.document["systems"][0]["exact_moments_reason"]


def test_correlated_normal_entries_give_the_closed_form_spread():
    """b normal with covariance D R D: each unknown's sd, sampled 10**6
    times, lies within its standard errors of sqrt((A^-1 D R D A^-T)_kk);
    the shares are the full and independent indices of the covariance."""
    matrix = np.array([[2.0, 1.0], [1.0, 3.0]])
    normal = np.array([[1.0, 0.25], [2.0, 1.0]])
    correlation = np.array([[1.0, -0.8], [-0.8, 1.0]])
    system = linprob.System(matrix, [1.0, 2.0], [[0.0, 2.0], [0.0, 4.0]], normal=normal,
                            correlation=correlation)
    result = linprob.analyze(system, points="random", samples=10**6, seed=11,
                             modes="none", progress=False)
    inverse = np.linalg.inv(matrix)
    spread = np.diag(np.sqrt(normal[:, 1]))
    covariance = inverse @ spread @ correlation @ spread @ inverse.T
    independent = inverse @ spread @ spread @ inverse.T
    head = result.document["systems"][0]
    family = head["modes"][0]["families"][0]
    for unknown in family["unknowns"]:
        k = unknown["unknown"]
        error = unknown["standard_error"]["moments"]["sd"]
        factor = unknown["standard_error"]["coverage_factor"]
        sd = unknown["moments"]["sd"]
        assert abs(sd - np.sqrt(covariance[k, k])) <= factor * error, (k, sd)
        # Far from what independent entries would give.
        assert abs(sd - np.sqrt(independent[k, k])) > 20 * error
        # The normal family's exact references take the full covariance.
        assert unknown["expected_moments"]["sd"] == pytest.approx(
            np.sqrt(covariance[k, k]), rel=1e-14)
        # So does its continuous truth, the normal law of that variance.
        assert unknown["truth"]["method"] == "normal"
        assert unknown["discrepancy"]["truth"]["exact_linear"]["total_variation"] < 1e-12
    assert "INVALID" in head["correlation_note"]
    # Full indices corr(x_k, b_j)^2 and independent ones a_j^2 / ((S^-1)_jj Var).
    sigma = spread @ correlation @ spread
    precision = np.linalg.inv(sigma)
    assert [block["family"] for block in head["sensitivity"]] == ["Normal"]
    for entry in head["sensitivity"][0]["unknowns"]:
        a = inverse[entry["unknown"]]
        var = a @ sigma @ a
        assert entry["shares"] == pytest.approx(
            (a @ sigma) ** 2 / (np.diag(sigma) * var), rel=1e-12)
        assert entry["independent_shares"] == pytest.approx(
            a ** 2 / (np.diag(precision) * var), rel=1e-12)
    assert "full first-order" in head["sensitivity_note"]
    assert head["sensitivity_reason"] is None
    with pytest.raises(linprob.InputError, match=(
            r"systems\[0\]\.correlation: entry \(0, 1\) is -0\.8 but entry \(1, 0\) "
            r"is 0\.8: R must be symmetric")):
        linprob.analyze(linprob.System(matrix, [1.0, 2.0], [[0.0, 2.0], [0.0, 4.0]],
                                       normal=normal, correlation=[[1, -0.8], [0.8, 1]]),
                        points="random", samples=1000, progress=False)
