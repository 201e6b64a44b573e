// linprob: probabilistic analysis of square linear systems with an uncertain
// right-hand side. `linprob --help` lists the options.
#include <malloc.h>

#include <csignal>

#include "driver/command_line.h"
#include "driver/run_driver.h"
#include "ranks/launch.h"

int main(int argc, char* argv[]) {
  // A reader that closes standard output (`linprob | head -1`) makes the
  // next write fail with EPIPE, which the console reports once, instead of
  // ending the program before it has written its files.
  std::signal(SIGPIPE, SIG_IGN);
  // A phase allocates its histograms and sums anew (tens of MiB per
  // position group at hundreds of unknowns) and frees them at its end. Kept
  // in the heap rather than mapped and unmapped each time, the next phase
  // reuses the pages instead of faulting in fresh ones (which cost a run of
  // 500 unknowns a fifth of its time).
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  // One heap for every thread: each phase starts threads of its own, which
  // glibc would give arenas of their own, and what a phase's threads free
  // in theirs stays there while the next phase's threads allocate in
  // others (counting by halves at n = 6 and 50 cells kept 250 MB resident
  // for 100 MB in use; 118 MB with one heap, in the same time). Threads
  // allocate per phase and per chunk, never per job, so they hardly ever
  // wait on its lock.
  mallopt(M_ARENA_MAX, 1);
  const linprob::CommandLine line = linprob::parseCommandLine(argc, argv);
  if (!line.run) return linprob::exitWithoutRun(line);
  // Under mpirun or srun the processes share the run (driver/run_ranks.h).
  const std::unique_ptr<linprob::Launch> launch =
      linprob::joinLaunch(argc, argv);
  linprob::RunOptions options = *line.run;
  options.group = launch->group();
  return linprob::runProgram(options);
}
