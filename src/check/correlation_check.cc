#include "check/correlation_check.h"

#include "distributions/entry_correlation.h"

namespace linprob {

bool checkCorrelationOf(const std::string& folder,
                        const std::vector<double>& r, unsigned n,
                        std::vector<std::string>& errors) {
  const std::string path = folder + kCorrelationFile;
  const std::size_t before = errors.size();
  for (const std::string& problem : checkCorrelation(r, n)) {
    errors.push_back(path + ": " + problem);
  }
  return errors.size() == before;
}

}  // namespace linprob
