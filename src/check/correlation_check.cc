#include "check/correlation_check.h"

#include "distributions/entry_correlation.h"
#include "distributions/point_kinds.h"

namespace linprob {

bool checkCorrelationOf(const std::string& folder,
                        const std::vector<double>& r, unsigned n,
                        const RunConfig& config,
                        std::vector<std::string>& errors) {
  const std::string path = folder + kCorrelationFile;
  const std::size_t before = errors.size();
  for (const std::string& problem : checkCorrelation(r, n)) {
    errors.push_back(path + ": " + problem);
  }
  if (!drawsSamples(config.points())) {
    errors.push_back(path +
                     ": correlated entries are sampled, not enumerated: set "
                     "ExactDistributions 0 in Settings.txt (with --points "
                     "random, sobol or lhs)");
  }
  return errors.size() == before;
}

}  // namespace linprob
