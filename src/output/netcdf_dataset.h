// NetcdfDataset: a NetCDF-4 dataset built in memory through the netCDF C
// library (Debian's libnetcdf-dev), then handed over as the bytes of its
// file, so that it is written like any other report file (through
// base/output_file.h: a temporary, then a rename).
//
// First the definitions (dimensions, variables with their attributes,
// global attributes), then endDefinitions(), then the values, then bytes().
// Every variable but a string one is compressed (deflate level 1, with the
// shuffle filter) and chunked as its caller says, with no chunk cache: each
// write must cover whole chunks (or be the whole variable); each has a fill value
// (the library's default for its type), written as _FillValue so that
// every reader takes it for a missing value.
//
// Every call of the library is checked: a failure throws std::runtime_error
// naming what was being done and the library's reason, e.g. "NetCDF:
// variable share: NetCDF: HDF error". A dataset given `goOn` asks it before
// each put and before closing, and throws NetcdfStopped once it says no (a
// stop of the run: the values of one put are the most that are computed
// and compressed after it). Used by one thread at a time.
#ifndef LINPROB_OUTPUT_NETCDF_DATASET_H_
#define LINPROB_OUTPUT_NETCDF_DATASET_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace linprob {

enum class NetcdfType { kDouble, kInt64, kUint64, kByte, kString };
// A coordinate variable has no missing values, so no _FillValue.
enum class NetcdfFill { kDeclared, kNone };

// The fill values, as the library defines them.
extern const double kNetcdfFillDouble;
extern const std::int64_t kNetcdfFillInt64;
extern const std::uint64_t kNetcdfFillUint64;
extern const signed char kNetcdfFillByte;

// What a dataset throws once its `goOn` says no.
class NetcdfStopped : public std::runtime_error {
 public:
  NetcdfStopped() : std::runtime_error("NetCDF: stopped") {}
};

class NetcdfDataset {
 public:
  explicit NetcdfDataset(std::function<bool()> goOn = {});
  ~NetcdfDataset();
  NetcdfDataset(const NetcdfDataset&) = delete;
  NetcdfDataset& operator=(const NetcdfDataset&) = delete;

  // A dimension of `length` (at least 1) entries; its id.
  int dimension(std::string_view name, std::size_t length);
  // A variable over `dimensions` (ids, slowest first); `chunk` gives the
  // chunk's length along each (empty: the library's choice). Its id.
  int variable(std::string_view name, NetcdfType type,
               std::span<const int> dimensions,
               std::span<const std::size_t> chunk = {},
               NetcdfFill fill = NetcdfFill::kDeclared);
  // Attributes of variable `id`, or of the dataset for kGlobal.
  static constexpr int kGlobal = -1;
  void attribute(int id, std::string_view name, std::string_view text);
  void attribute(int id, std::string_view name, double value);
  void attribute(int id, std::string_view name, std::int64_t value);
  void attribute(int id, std::string_view name, std::span<const signed char> values);
  void endDefinitions();

  // The values of the whole variable, in its row-major order.
  void put(int id, std::span<const double> values);
  void put(int id, std::span<const std::int64_t> values);
  void put(int id, std::span<const std::uint64_t> values);
  void put(int id, std::span<const signed char> values);
  void put(int id, const std::vector<std::string>& values);
  // A block of a double variable: `count` entries from `start` along each
  // dimension, the values in row-major order.
  void put(int id, std::span<const std::size_t> start,
           std::span<const std::size_t> count, std::span<const double> values);

  // Closes the dataset and writes its file's bytes to `out`; the dataset
  // is done.
  void writeTo(std::ostream& out);

 private:
  std::vector<std::size_t> shape(int id) const;
  std::string variableName(int id) const;
  void goOnOrStop() const;

  std::function<bool()> goOn_;
  int ncid_ = -1;
  std::vector<std::vector<int>> variableDimensions_;
  std::vector<std::size_t> dimensionLengths_;
};

}  // namespace linprob

#endif  // LINPROB_OUTPUT_NETCDF_DATASET_H_
