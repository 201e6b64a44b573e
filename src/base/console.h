// Progress lines on standard output, and one status line on standard error.
//
// Several threads print progress; each line is handed to the C stream in one
// write and flushed, so lines from different threads never mix within a line.
// Lines come in two kinds: the run's banner and phase lines (printLine),
// always printed, and the per-job lines of the threads of a phase (thread
// start and stop, naps and wake-ups, stoppers, solved-job counts:
// printJobLine), which a quiet run hides.
//
// The status line is a single line on standard error that is redrawn in
// place (a carriage return, the text, blanks over the rest of the previous
// text); it is never written to standard output. While one is shown, every
// printed line first erases it and then draws it again below itself, so the
// two never share a line on a terminal.
//
// Standard output that cannot be written (a reader that closed its pipe:
// EPIPE, the program ignoring SIGPIPE; a full disk: ENOSPC) is given up at
// its first failure: the system's reason is kept for the driver to report
// once, and every later line is dropped, so a run whose output nobody
// reads still writes its files. Lines go straight to the descriptor, at
// most PIPE_BUF bytes a write, each once there is room for it, so that a
// write never blocks: a reader that stops reading holds the run up only
// until a stop signal arrives (base/stop_signals.h), and from then on what
// it does not take at once is dropped. A write interrupted by a signal
// (EINTR) is tried again.
//
// One mutex guards the status line's text and the failure of standard
// output, and orders the writes to both streams. It is held only while writing, and nothing here calls out while
// holding it, so a caller may print while holding one of its own mutexes.
#ifndef LINPROB_BASE_CONSOLE_H_
#define LINPROB_BASE_CONSOLE_H_

#include <string_view>

#include "base/status.h"

namespace linprob {

// Writes `line` and a line end to standard output, then flushes.
void printLine(std::string_view line);

// As printLine, without adding a line end.
void printText(std::string_view text);

// Writes `message` and a line end to standard error through std::cerr (so
// that a caller that holds standard error back, by replacing std::cerr's
// buffer, holds this too), erasing the status line first and drawing it
// again below. Clears a failed std::cerr first: a write a signal cut short
// would otherwise leave it failed for good.
void printError(std::string_view message);

// Ok while standard output works; else "cannot be written: <reason>", the
// reason of its first failure.
Status standardOutputStatus();

// printLine, unless job lines are hidden.
void printJobLine(std::string_view line);

// Whether printLine (and so printJobLine) prints at all (it does at start):
// the processes of a run other than rank 0 print nothing. Meant to be set
// while no other thread prints.
void showLines(bool shown);

// Whether printJobLine prints (it does at start). Meant to be set while no
// other thread prints, such as before the threads of a phase start.
void showJobLines(bool shown);
bool jobLinesShown();

// Hides the job lines while alive, then shows them again as they were.
class HiddenJobLines {
 public:
  HiddenJobLines() : shown_(jobLinesShown()) { showJobLines(false); }
  ~HiddenJobLines() { showJobLines(shown_); }
  HiddenJobLines(const HiddenJobLines&) = delete;
  HiddenJobLines& operator=(const HiddenJobLines&) = delete;

 private:
  bool shown_;
};

// Shows `text` (one line, no line end) as the status line, replacing the one
// shown before.
void drawStatusLine(std::string_view text);

// Erases the status line, if one is shown, and leaves the cursor at the start
// of that line.
void clearStatusLine();

}  // namespace linprob

#endif  // LINPROB_BASE_CONSOLE_H_
