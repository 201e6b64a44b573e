// The part of results.nc for the phases whose matrix was random
// (results/phase_result.h, RandomMatrixOutcome), only in a run that has
// one: by system, mode and family the near-singular and the pivot-change
// shares of the phase's probability, and by unknown too the mean to second
// order; the fill where a phase's matrix was Matice.txt.
#ifndef LINPROB_OUTPUT_NC_RANDOM_MATRIX_H_
#define LINPROB_OUTPUT_NC_RANDOM_MATRIX_H_

#include "output/nc_definer.h"
#include "output/netcdf_dataset.h"
#include "results/result_store.h"

namespace linprob {

class NcRandomMatrix {
 public:
  NcRandomMatrix(const ResultStore& store, const TableShape& shape);

  void define(NcDefiner& definer);
  void put(NetcdfDataset& nc);

 private:
  const ResultStore& store_;
  TableShape shape_;
  bool present_ = false;
  int refused_ = -1, changed_ = -1, secondOrder_ = -1;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_RANDOM_MATRIX_H_
