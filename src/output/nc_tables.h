// The part of results.nc over modes, families and unknowns (results_nc.h):
// each elimination's pivot growth and column order, each phase's jobs,
// seed and --digits ending, the columns of unknowns.csv, and per table its
// borders, the band columns of bands.csv with their tails, and the running
// estimates. The large arrays (bands, running estimates) are written one
// phase (system, mode, family) at a time; the rest is gathered whole.
#ifndef LINPROB_OUTPUT_NC_TABLES_H_
#define LINPROB_OUTPUT_NC_TABLES_H_

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "output/nc_columns.h"
#include "output/netcdf_dataset.h"
#include "results/result_store.h"

namespace linprob {

// The series of the running estimates (convergence_*).
inline constexpr std::size_t kConvergenceSeries = 8;

struct NcDimensions {
  int system = -1, mode = -1, family = -1, unknown = -1, entry = -1,
      band = -1, border = -1, batch = -1, round = -1;
};

// How large the dimensions are: bands the most bands of any table,
// batches the most running estimates of any, rounds the most rounds any
// --digits phase tried (each 0 when none).
struct TableShape {
  std::size_t systems = 0;
  std::size_t unknowns = 0;
  std::size_t bands = 0;
  std::size_t batches = 0;
  std::size_t rounds = 0;
};
TableShape tableShape(const ResultStore& store);

// What defines a variable with its words (results_nc.cc): `note` is added
// to its long_name; an empty `chunk` lets the definer choose.
class NcDefiner {
 public:
  virtual ~NcDefiner() = default;
  virtual const NcDimensions& dimensions() const = 0;
  int define(std::string_view name, NetcdfType type,
             std::initializer_list<int> dimensions, std::string_view note = {},
             std::vector<std::size_t> chunk = {}) {
    return defineVariable(name, type, dimensions, note, std::move(chunk));
  }

 protected:
  virtual int defineVariable(std::string_view name, NetcdfType type,
                             std::initializer_list<int> dimensions,
                             std::string_view note,
                             std::vector<std::size_t> chunk) = 0;
};

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
