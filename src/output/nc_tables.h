// The part of results.nc over modes, families and unknowns (results_nc.h):
// each elimination's pivot growth and column order, each phase's jobs,
// seed and --digits ending, the columns of unknowns.csv, and per table its
// borders, the band columns of bands.csv with their tails, and the running
// estimates. The large arrays (bands, running estimates) are written one
// phase (system, mode, family) at a time; the rest is gathered whole.
#ifndef LINPROB_OUTPUT_NC_TABLES_H_
#define LINPROB_OUTPUT_NC_TABLES_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "output/nc_columns.h"
#include "output/nc_definer.h"
#include "output/netcdf_dataset.h"
#include "results/result_store.h"

namespace linprob {

// The series of the running estimates (convergence_*).
inline constexpr std::size_t kConvergenceSeries = 8;

// The shape of the run's arrays, as the dimensions take it.
TableShape tableShape(const ResultStore& store);

class NcTables {
 public:
  NcTables(const ResultStore& store, const TableShape& shape);

  void define(NcDefiner& definer);
  void put(NetcdfDataset& nc);

 private:
  struct BlockVariable {
    std::string_view name;
    int id = -1;
    int lowerTail = -1;  // band columns only
    int upperTail = -1;
  };

  void gather();
  void putPhase(NetcdfDataset& nc, int system, int mode, std::size_t family);

  const ResultStore& store_;
  TableShape shape_;
  std::size_t tables_ = 0;  // systems x modes x families x unknowns

  int pivotGrowth_ = -1, columnOrder_ = -1;
  int jobs_ = -1, seed_ = -1, digits_ = -1, mostSamples_ = -1, ruleMet_ = -1;
  int roundSamples_ = -1;
  int bandCount_ = -1, truthReason_ = -1, borders_ = -1;
  std::vector<ColumnArray> solutionColumns_;  // (system, mode, unknown)
  std::vector<int> solutionIds_;
  std::vector<ColumnArray> phaseColumns_;     // (system, mode, family, unknown)
  std::vector<int> phaseIds_;
  std::vector<BlockVariable> bandColumns_;
  std::vector<ColumnArray> lowerTails_, upperTails_;
  std::vector<BlockVariable> convergence_;
  std::vector<std::string> truthReasons_;
  std::vector<std::int64_t> bandCounts_;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_TABLES_H_
