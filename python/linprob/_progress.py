"""The progress bar of a run: its systems under each mode counted as they
are done."""

from __future__ import annotations

import sys
import threading
from typing import Any, Optional


def wanted(progress: Optional[bool]) -> bool:
    """Whether to show a bar: `progress` when given, else when standard
    error is a terminal or the caller is a notebook (and tqdm is there)."""
    if progress is None:
        progress = sys.stderr.isatty() or "ipykernel" in sys.modules
    if not progress:
        return False
    try:
        import tqdm  # noqa: F401  (Debian's python3-tqdm)
    except ImportError:
        return False
    return True


class ProgressBar:
    """A tqdm bar over the systems × modes of a run, moved by a watcher
    thread that asks the run how many it has done. Use as a context
    manager: the thread is joined on leaving."""

    def __init__(self, total: int) -> None:
        self._total = total
        self._done = threading.Event()
        self._thread: Optional[threading.Thread] = None
        self._bar: Any = None

    @staticmethod
    def _count() -> int:
        """The systems under a mode the run has done."""
        from . import _native
        return int(_native.systems_done())

    def _watch(self) -> None:
        """Moves the bar until told to stop."""
        while not self._done.wait(0.2):
            self._bar.n = min(self._total, self._count())
            self._bar.refresh()

    def __enter__(self) -> "ProgressBar":
        from tqdm.auto import tqdm

        class Bar(tqdm):  # type: ignore[misc, valid-type]
            """tqdm without its monitor thread, which would outlive the run."""

            monitor_interval = 0

        self._bar = Bar(total=self._total, unit="mode", desc="linprob")
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self._thread.start()
        return self

    def __exit__(self, *exc: object) -> None:
        self._done.set()
        if self._thread is not None:
            self._thread.join()
        self._bar.n = min(self._total, self._count())
        self._bar.close()
