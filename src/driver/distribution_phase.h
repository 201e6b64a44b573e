// One distribution phase of one system under one pivoting mode: build the
// family's jobs (enumerated cells or random samples), solve them all and count
// them into each unknown's bands, write and store the VALID histogram,
// propagate means and variances through the steps, and write and store the
// INVALID normal approximation.
//
// The three families differ only in the row of kPhases they run with. Nothing
// of a phase outlives the call, and no thread is left running when it returns
// or throws.
#ifndef LINPROB_DRIVER_DISTRIBUTION_PHASE_H_
#define LINPROB_DRIVER_DISTRIBUTION_PHASE_H_

#include <ostream>
#include <string>
#include <vector>

#include "distributions/job_source.h"
#include "driver/settings.h"
#include "linear/linear_system.h"
#include "linear/normal_parameters.h"
#include "results/result_store.h"

namespace linprob {

struct PhaseSpec {
  const char* parameterFile;  // read for the jobs and for the approximation
  Family family;  // also the store's distribution index (0, 1, 2)
  std::string (*readApprox)(std::vector<NormalParameters>& approx,
                            const std::string& path, unsigned n);
  const char* startLine;
  const char* modeWord;
  const char* sortingLine;
  const char* validHeader;
  const char* invalidHeader;
};

// Triangular, Normal, Uniform, in the order a system runs them.
extern const PhaseSpec kPhases[3];

struct PhaseContext {
  const RunSettings& settings;
  const LinearSystem& system;
  const std::string& subFolder;  // "Matrix<i>/"
  int matrixIndex;
  int mode;  // pivoting mode 0 ... 3
  std::ostream& outFile;
  ResultStore& store;
};

void runDistributionPhase(const PhaseSpec& phase, const PhaseContext& context);

}  // namespace linprob

#endif  // LINPROB_DRIVER_DISTRIBUTION_PHASE_H_
