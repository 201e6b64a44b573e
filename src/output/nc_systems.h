// The part of results.nc that belongs to each system (results_nc.h): its
// folder and right-hand sides, its certified references and condition
// verdict with the reasons for what is missing, and, where the certified
// inverse was computed, its enclosure (unknown x entry) and each family's
// variance shares (family x unknown x entry), written a chunk's unknowns at
// a time.
#ifndef LINPROB_OUTPUT_NC_SYSTEMS_H_
#define LINPROB_OUTPUT_NC_SYSTEMS_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "output/nc_definer.h"
#include "output/netcdf_dataset.h"
#include "results/result_store.h"

namespace linprob {

class NcSystems {
 public:
  NcSystems(const ResultStore& store, const TableShape& shape);

  void define(NcDefiner& definer);
  void put(NetcdfDataset& nc);

 private:
  static constexpr std::array<std::string_view, 5> kReasons = {
      "true_solution_reason", "exact_hull_reason", "condition_number_reason",
      "exact_moments_reason", "inverse_reason"};

  struct SystemVariables {
    int folder = -1, rhs = -1, rhsLower = -1, rhsUpper = -1;
    int trueSolution = -1, hullLower = -1, hullUpper = -1;
    int condition = -1, conditionLower = -1, conditionUpper = -1;
    int level = -1, words = -1;
    std::array<int, kReasons.size()> reasons{};
    int inverseLower = -1, inverseUpper = -1, share = -1, cellShare = -1;
  };

  bool anyInverse() const;
  bool anyCellShares() const;
  void putInverse(NetcdfDataset& nc, int system,
                  const SystemReference& reference);
  void putShares(NetcdfDataset& nc, int system,
                 const SystemReference& reference);

  const ResultStore& store_;
  TableShape shape_;
  SystemVariables system_;
  std::size_t rowsPerChunk_ = 1;
  std::size_t shareRows_ = 1;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_SYSTEMS_H_
