// linprob: probabilistic analysis of square linear systems with an uncertain
// right-hand side. `linprob --help` lists the options.
#include <csignal>

#include "driver/command_line.h"
#include "driver/run_driver.h"
#include "ranks/launch.h"

int main(int argc, char* argv[]) {
  // A reader that closes standard output (`linprob | head -1`) makes the
  // next write fail with EPIPE, which the console reports once, instead of
  // ending the program before it has written its files.
  std::signal(SIGPIPE, SIG_IGN);
  const linprob::CommandLine line = linprob::parseCommandLine(argc, argv);
  if (!line.run) return linprob::exitWithoutRun(line);
  // Under mpirun or srun the processes share the run (driver/run_share.h).
  const std::unique_ptr<linprob::Launch> launch =
      linprob::joinLaunch(argc, argv);
  linprob::RunOptions options = *line.run;
  options.group = launch->group();
  return linprob::runProgram(options);
}
