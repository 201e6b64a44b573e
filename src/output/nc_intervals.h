// The part of results.nc for the systems with an interval matrix
// ("IntMatice.txt", results/interval_matrix_result.h), only in a run that
// has one: a dimension and coordinate "enclosure" (the naive elimination
// under each pivoting mode, the three verified enclosures, the exact
// hull), each enclosure's ends and overestimation by system, enclosure and
// unknown (the fill where it is missing), and per system why the interval
// results are missing ("" where they are there, "the system has no
// interval matrix (IntMatice.txt)" for a system without one).
#ifndef LINPROB_OUTPUT_NC_INTERVALS_H_
#define LINPROB_OUTPUT_NC_INTERVALS_H_

#include <string>
#include <vector>

#include "output/nc_definer.h"
#include "output/netcdf_dataset.h"
#include "results/result_store.h"

namespace linprob {

class NcIntervals {
 public:
  NcIntervals(const ResultStore& store, const TableShape& shape);

  // Whether the run has an interval matrix at all.
  bool present() const { return present_; }
  // The enclosures' names, the coordinate's values.
  static std::vector<std::string> enclosureNames();

  // With the dimension "enclosure" defined (NcDimensions::enclosure).
  void define(NcDefiner& definer);
  void put(NetcdfDataset& nc);

 private:
  const ResultStore& store_;
  TableShape shape_;
  bool present_ = false;
  int lower_ = -1, upper_ = -1, overestimation_ = -1, reason_ = -1;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_INTERVALS_H_
