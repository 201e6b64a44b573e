#include "driver/distribution_phase.h"

#include <sstream>
#include <stdexcept>

#include "distributions/parameter_files.h"
#include "driver/console.h"
#include "linear/step_replay.h"
#include "results/normal_approximation.h"
#include "results/phase_solver.h"
#include "results/probability_table.h"

namespace linprob {

const PhaseSpec kPhases[3] = {
    {"UniformRHS.txt", Family::kTriangular, readTriangularApprox,
     "Calculating results for Triangular Distribution...", " Mode ",
     "Sorting results for Triangular Distribution...",
     "Results for the Triangluar distribution:",
     "INVALID Results for the Triangular distribution:"},
    {"NormalRHS.txt", Family::kNormal, readNormalApprox,
     "Calculating results for Normal Distribution...", " Mode ",
     "Sorting results for Normal Distribution...",
     "Results for the Normal distribution:",
     "INVALID Results for the Normal distribution:"},
    {"UniformRHS.txt", Family::kUniform, readUniformApprox,
     "Calculating results for Uniform Distribution...", " Mode",
     "Sorting results for Uniform Distribution...",
     "Results for the Uniform distribution:",
     "INVALID Results for the Uniform distribution:"},
};

void runDistributionPhase(const PhaseSpec& phase, const PhaseContext& context) {
  const RunSettings& settings = context.settings;
  const int distribution = static_cast<int>(phase.family);
  const bool rowPivot = context.mode % 2 == 1;
  const bool colPivot = context.mode / 2 != 0;
  {
    std::ostringstream line;
    line << phase.startLine << "Matrix: " << context.matrixIndex
         << phase.modeWord << rowPivot << "," << colPivot;
    printLine(line.str());
  }

  const std::string path = context.subFolder + phase.parameterFile;
  PhaseJobs jobs;
  const int count = settings.ExactDistributions ? settings.IntegrationPrecision
                                                : settings.SampleCount;
  std::string problem = loadPhaseJobs(phase.family, path, settings.Dimensions,
                                      count, settings.ExactDistributions, jobs);
  if (!problem.empty()) throw std::runtime_error(path + ": " + problem);
  const PhaseBands bands =
      solvePhase(jobs, context.system, settings.SolverThreadCount,
                 settings.GeneratorThreadCount, settings.HistogramPrecision);

  // The bands are counted without sorting; the lines stay for the user.
  printLine(phase.sortingLine);
  for (unsigned v = 0; v < settings.Dimensions; ++v) {
    printLine("Variable " + std::to_string(v));
  }

  std::ostream& out = context.outFile;
  out << std::endl << phase.validHeader << std::endl;
  printProbabilities(bands, context.system, out);
  storeHistogram(bands, context.system, context.store, context.matrixIndex,
                 context.mode, distribution);

  std::vector<NormalParameters> approx;
  problem = phase.readApprox(approx, path, settings.Dimensions);
  if (!problem.empty()) throw std::runtime_error(path + ": " + problem);
  replaySteps(approx, context.system.steps);

  out << std::endl << phase.invalidHeader << std::endl;
  printApproxProbabilities(approx, settings.HistogramPrecision, bands,
                           context.system, out);
  storeApproxProbabilities(approx, settings.HistogramPrecision, bands,
                           context.system, context.store, context.matrixIndex,
                           context.mode, distribution);
}

}  // namespace linprob
