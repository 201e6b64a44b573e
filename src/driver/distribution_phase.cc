#include "driver/distribution_phase.h"

#include <sstream>
#include <stdexcept>
#include <thread>

#include "distributions/parameter_files.h"
#include "driver/console.h"
#include "linear/step_replay.h"
#include "results/normal_approximation.h"
#include "results/probability_table.h"
#include "results/solver_threads.h"

namespace linprob {

const PhaseSpec kPhases[3] = {
    {0, "UniformRHS.txt", produceTriangularJobs, readTriangularApprox,
     "Calculating results for Triangular Distribution...", " Mode ",
     "Sorting results for Triangular Distribution...",
     "Results for the Triangluar distribution:",
     "INVALID Results for the Triangular distribution:"},
    {1, "NormalRHS.txt", produceNormalJobs, readNormalApprox,
     "Calculating results for Normal Distribution...", " Mode ",
     "Sorting results for Normal Distribution...",
     "Results for the Normal distribution:",
     "INVALID Results for the Normal distribution:"},
    {2, "UniformRHS.txt", produceUniformJobs, readUniformApprox,
     "Calculating results for Uniform Distribution...", " Mode",
     "Sorting results for Uniform Distribution...",
     "Results for the Uniform distribution:",
     "INVALID Results for the Uniform distribution:"},
};

namespace {

// Produces every job of the phase while the solver threads consume them. If
// production fails, a stopper is still queued and the threads are joined
// before the error goes on, so no thread outlives the phase.
void produceAndSolve(const PhaseSpec& phase, const PhaseContext& context,
                     SampleTable& results) {
  const RunSettings& settings = context.settings;
  JobQueue jobs;
  std::vector<std::thread> solverThreads;
  startSolvers(jobs, context.system, settings.SolverThreadCount, results,
               solverThreads);
  const int count = settings.ExactDistributions ? settings.IntegrationPrecision
                                                : settings.SampleCount;
  try {
    phase.produce(context.subFolder + phase.parameterFile, jobs,
                  settings.Dimensions, count, settings.ExactDistributions,
                  settings.GeneratorThreadCount);
  } catch (...) {
    insertStopper(jobs);
    joinSolvers(jobs, solverThreads);
    throw;
  }
  joinSolvers(jobs, solverThreads);
}

}  // namespace

void runDistributionPhase(const PhaseSpec& phase, const PhaseContext& context) {
  const RunSettings& settings = context.settings;
  const bool rowPivot = context.mode % 2 == 1;
  const bool colPivot = context.mode / 2 != 0;
  {
    std::ostringstream line;
    line << phase.startLine << "Matrix: " << context.matrixIndex
         << phase.modeWord << rowPivot << "," << colPivot;
    printLine(line.str());
  }

  SampleTable results;
  produceAndSolve(phase, context, results);

  printLine(phase.sortingLine);
  for (unsigned v = 0; v < settings.Dimensions; ++v) {
    printLine("Variable " + std::to_string(v));
    sortSamples(results[v]);
  }

  std::ostream& out = context.outFile;
  out << std::endl << phase.validHeader << std::endl;
  printProbabilities(results, context.system, settings.HistogramPrecision,
                     out);
  storeHistogram(results, context.system, settings.HistogramPrecision,
                 context.store, context.matrixIndex, context.mode,
                 phase.distribution);

  std::vector<NormalParameters> approx;
  const std::string path = context.subFolder + phase.parameterFile;
  const std::string problem =
      phase.readApprox(approx, path, settings.Dimensions);
  if (!problem.empty()) {
    throw std::runtime_error(path + ": " + problem);
  }
  replaySteps(approx, context.system.steps);

  out << std::endl << phase.invalidHeader << std::endl;
  printApproxProbabilities(approx, settings.HistogramPrecision, results,
                           context.system, out);
  storeApproxProbabilities(approx, settings.HistogramPrecision, results,
                           context.system, context.store, context.matrixIndex,
                           context.mode, phase.distribution);
}

}  // namespace linprob
