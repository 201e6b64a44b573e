"""linprob.Result: the results of a run, read from its Report/ folder."""

from __future__ import annotations

import io
import json
import os
import tempfile
from typing import Any, Optional

import pandas as pd

# The tails of a band table, beside the bands 1 ... K.
_TAILS = ("lower_tail", "upper_tail")
# The columns of a histogram(): the band's ends and what each puts in it.
_HISTOGRAM_COLUMNS = ["band", "lower", "upper", "valid", "invalid",
                      "exact_linear", "truth"]


def _read_folder(folder: str) -> dict[str, bytes]:
    """Every file under `folder`, by its path relative to it."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            if name.endswith(".tmp"):
                continue
            path = os.path.join(root, name)
            with open(path, "rb") as data:
                files[os.path.relpath(path, folder)] = data.read()
    return files


class Result:
    """The results of a run: every value the command line writes in its
    Report/ folder, the tables as pandas DataFrames.

    Numbers are read back exactly (the files hold each double's shortest
    round-trip text), so each value equals the file's bit for bit.
    """

    def __init__(self, files: dict[str, bytes]) -> None:
        """`files`: the Report/ folder's files by relative path."""
        if "results.json" not in files:
            raise FileNotFoundError("no results.json in the report")
        self._files = files
        self._document: dict[str, Any] = json.loads(files["results.json"])
        self.bands: pd.DataFrame = self._table("bands.csv")
        """One row per band and tail of every solved unknown (bands.csv)."""
        self.unknowns: pd.DataFrame = self._table("unknowns.csv")
        """One row per system, mode, family and unknown (unknowns.csv)."""
        self.sensitivity: pd.DataFrame = self._table("sensitivity.csv")
        """One row per system, family, unknown and entry (sensitivity.csv)."""

    def _table(self, name: str) -> pd.DataFrame:
        """A table of the report, read exactly."""
        return pd.read_csv(io.BytesIO(self._files[name]),
                           float_precision="round_trip",
                           dtype={"band": str} if name == "bands.csv" else None)

    @property
    def document(self) -> dict[str, Any]:
        """results.json as read (every mode and family the run computed)."""
        return self._document

    @property
    def systems(self) -> list[dict[str, Any]]:
        """Per system its references as results.json gives them: index,
        folder, matrix, rhs, interval_rhs, true_solution, exact_hull,
        condition_number (with its enclosure and verdict), sensitivity,
        interval_matrix (where the system has one) and the reasons of what
        is missing; the per-mode results are in the tables."""
        return [{key: value for key, value in system.items() if key != "modes"}
                for system in self._document["systems"]]

    @property
    def seed(self) -> Optional[int]:
        """The run's seed (given or drawn by a sampling run); None in
        enumeration."""
        return self._document["run"]["seed"]

    @property
    def run(self) -> dict[str, Any]:
        """The run's kind, points, settings, jobs per phase and wall time."""
        return self._document["run"]

    def histogram(self, system: int, mode: str, family: str,
                  unknown: int) -> pd.DataFrame:
        """The VALID histogram of one unknown, ready to plot: one row per
        band with its borders `lower`, `upper` and the masses `valid`,
        `invalid` (the normal approximation), `exact_linear` and `truth`
        over it. `mode`: 'NoPivot', 'RowPivot', 'ColPivot' or
        'RowColPivot'; `family`: 'Triangular', 'Normal' or 'Uniform'."""
        bands = self.bands
        rows = bands[(bands["system"] == system) & (bands["mode"] == mode)
                     & (bands["family"] == family) & (bands["unknown"] == unknown)
                     & ~bands["band"].isin(_TAILS)]
        if rows.empty:
            raise KeyError(f"no histogram for system {system}, mode {mode!r}, "
                           f"family {family!r}, unknown {unknown}")
        frame = rows[_HISTOGRAM_COLUMNS].reset_index(drop=True)
        frame["band"] = frame["band"].astype(int)
        return frame

    def write_report(self, folder: str) -> None:
        """Writes the Report/ folder the run wrote (every file, byte for
        byte) into `folder`, made when missing; files there are replaced."""
        for name, data in self._files.items():
            path = os.path.join(folder, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as out:
                out.write(data)

    def to_xarray(self) -> Any:
        """Every array of the run as an xarray.Dataset, read from the
        report's results.nc (loaded into memory)."""
        import xarray  # only this method needs it

        with tempfile.TemporaryDirectory(prefix="linprob-") as folder:
            path = os.path.join(folder, "results.nc")
            with open(path, "wb") as out:
                out.write(self._files["results.nc"])
            with xarray.open_dataset(path) as dataset:
                return dataset.load()

    def __repr__(self) -> str:
        return (f"linprob.Result({len(self._document['systems'])} systems, "
                f"{self.run['kind']}, {len(self.unknowns)} unknown rows)")


def read_report(path: str) -> Result:
    """The Result of a Report/ folder written earlier (by the command line,
    run() or Result.write_report); `path` may also be the working directory
    that holds it."""
    if not os.path.exists(os.path.join(path, "results.json")):
        path = os.path.join(path, "Report")
    return Result(_read_folder(path))
