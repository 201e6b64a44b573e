#include "distributions/random_matrix_files.h"

#include <span>

namespace linprob {

const char* randomMatrixFileOf(ParameterKind kind) {
  for (const RandomMatrixFile& file : kRandomMatrixFiles) {
    if (file.kind == kind) return file.file;
  }
  return nullptr;
}

std::vector<double> meanMatrixOf(const FamilyInfo& family,
                                 const std::vector<double>& numbers) {
  const EntryParameters entries{kindInfo(family.parameterKind).numbersPerEntry,
                                numbers};
  std::vector<double> means;
  for (const NormalParameters& moments : familyMoments(family, entries)) {
    means.push_back(moments.mean);
  }
  return means;
}

std::vector<std::string> checkRandomMatrix(const std::vector<double>& numbers,
                                           unsigned n, ParameterKind kind) {
  std::vector<std::string> problems;
  const ParameterKindInfo& info = kindInfo(kind);
  const std::size_t width = info.numbersPerEntry;
  const std::size_t entries = std::size_t{n} * n;
  if (n == 0 || numbers.size() < entries * width) return problems;
  std::vector<std::string> found;
  for (std::size_t e = 0; e < entries; ++e) {
    found.clear();
    info.checkEntry(static_cast<unsigned>(e),
                    std::span<const double>(numbers).subspan(e * width, width),
                    found);
    // The entry check names a "pair <e>"; a matrix's entry goes by its row
    // and column.
    const std::string pair = "pair " + std::to_string(e);
    const std::string place = "row " + std::to_string(e / n) + ", column " +
                              std::to_string(e % n);
    for (std::string& problem : found) {
      if (problem.compare(0, pair.size(), pair) == 0) {
        problem.replace(0, pair.size(), place);
      }
      problems.push_back(std::move(problem));
    }
  }
  return problems;
}

}  // namespace linprob
