// linprob: probabilistic analysis of square linear systems with an uncertain
// right-hand side. `linprob --help` lists the options.
#include "driver/command_line.h"
#include "driver/run_driver.h"

int main(int argc, char* argv[]) {
  const linprob::CommandLine line = linprob::parseCommandLine(argc, argv);
  if (!line.run) return linprob::exitWithoutRun(line);
  return linprob::runProgram(*line.run);
}
