// What the parts of results.nc (nc_systems.h, nc_tables.h) share with
// the writer that assembles them (results_nc.cc): the ids of the
// dimensions, how large the dimensions are, and the definer of a variable
// with its words.
#ifndef LINPROB_OUTPUT_NC_DEFINER_H_
#define LINPROB_OUTPUT_NC_DEFINER_H_

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "output/nc_variables.h"
#include "output/netcdf_dataset.h"
#include "distributions/family.h"

namespace linprob {

struct NcDimensions {
  int system = -1, mode = -1, family = -1, unknown = -1, entry = -1,
      band = -1, border = -1, batch = -1, round = -1;
  // Only in a run with an interval matrix (nc_intervals.h).
  int enclosure = -1;
};

// How large the dimensions are: bands the most bands of any table,
// batches the most running estimates of any, rounds the most rounds any
// --digits phase tried (each 0 when none).
struct TableShape {
  // The families the run analysed (ResultStore::analysedFamilies): the
  // family dimension, in this order.
  std::vector<Family> families;
  std::size_t systems = 0;
  std::size_t unknowns = 0;
  std::size_t bands = 0;
  std::size_t batches = 0;
  std::size_t rounds = 0;
};

// What defines a variable with its words (results_nc.cc): those of its
// name's row (nc_variables.h) with `note` added to its long_name, or the
// `words` given; an empty `chunk` lets the definer choose.
class NcDefiner {
 public:
  virtual ~NcDefiner() = default;
  virtual const NcDimensions& dimensions() const = 0;
  int define(std::string_view name, NetcdfType type,
             std::initializer_list<int> dimensions, std::string_view note = {},
             std::vector<std::size_t> chunk = {}) {
    return defineVariable(name, type, dimensions, nullptr, note,
                          std::move(chunk));
  }
  // A variable whose words are not a row's (an added measure's column).
  int define(std::string_view name, NetcdfType type,
             std::initializer_list<int> dimensions, const VariableText& words) {
    return defineVariable(name, type, dimensions, &words, {}, {});
  }

 protected:
  virtual int defineVariable(std::string_view name, NetcdfType type,
                             std::initializer_list<int> dimensions,
                             const VariableText* words, std::string_view note,
                             std::vector<std::size_t> chunk) = 0;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NC_DEFINER_H_
