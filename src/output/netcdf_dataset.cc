#include "output/netcdf_dataset.h"

#include <netcdf.h>
#include <netcdf_mem.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace linprob {

const double kNetcdfFillDouble = NC_FILL_DOUBLE;
const std::int64_t kNetcdfFillInt64 = NC_FILL_INT64;
const std::uint64_t kNetcdfFillUint64 = NC_FILL_UINT64;
const signed char kNetcdfFillByte = NC_FILL_BYTE;

namespace {

// The size the in-memory file starts at; it grows as needed.
constexpr std::size_t kInitialBytes = std::size_t{1} << 20;
constexpr int kDeflateLevel = 1;

void check(int status, std::string_view what) {
  if (status != NC_NOERR) {
    throw std::runtime_error("NetCDF: " + std::string(what) + ": " +
                             nc_strerror(status));
  }
}

nc_type ncType(NetcdfType type) {
  switch (type) {
    case NetcdfType::kDouble:
      return NC_DOUBLE;
    case NetcdfType::kInt64:
      return NC_INT64;
    case NetcdfType::kUint64:
      return NC_UINT64;
    case NetcdfType::kByte:
      return NC_BYTE;
    case NetcdfType::kString:
      return NC_STRING;
  }
  return NC_DOUBLE;
}

}  // namespace

NetcdfDataset::NetcdfDataset(std::function<bool()> goOn)
    : goOn_(std::move(goOn)) {
  check(nc_create_mem("results.nc", NC_NETCDF4, kInitialBytes, &ncid_),
        "creating the dataset in memory");
}

NetcdfDataset::~NetcdfDataset() {
  if (ncid_ >= 0) nc_abort(ncid_);
}

int NetcdfDataset::dimension(std::string_view name, std::size_t length) {
  // A length of 0 would make the dimension unlimited.
  if (length == 0) length = 1;
  int id = 0;
  check(nc_def_dim(ncid_, std::string(name).c_str(), length, &id),
        "dimension " + std::string(name));
  if (dimensionLengths_.size() <= static_cast<std::size_t>(id)) {
    dimensionLengths_.resize(static_cast<std::size_t>(id) + 1);
  }
  dimensionLengths_[static_cast<std::size_t>(id)] = length;
  return id;
}

int NetcdfDataset::variable(std::string_view name, NetcdfType type,
                            std::span<const int> dimensions,
                            std::span<const std::size_t> chunk,
                            NetcdfFill fill) {
  const std::string what = "variable " + std::string(name);
  int id = 0;
  check(nc_def_var(ncid_, std::string(name).c_str(), ncType(type),
                   static_cast<int>(dimensions.size()), dimensions.data(), &id),
        what);
  if (type != NetcdfType::kString && !dimensions.empty()) {
    if (!chunk.empty()) {
      check(nc_def_var_chunking(ncid_, id, NC_CHUNKED, chunk.data()), what);
    }
    check(nc_def_var_deflate(ncid_, id, 1, 1, kDeflateLevel), what);
    // Every write covers whole chunks: a cache would only hold them,
    // uncompressed, until the file is closed.
    check(nc_set_var_chunk_cache(ncid_, id, 0, 0, 0.75f), what);
  }
  switch (fill == NetcdfFill::kNone ? NetcdfType::kString : type) {
    case NetcdfType::kDouble:
      check(nc_put_att_double(ncid_, id, "_FillValue", NC_DOUBLE, 1,
                              &kNetcdfFillDouble),
            what);
      break;
    case NetcdfType::kInt64: {
      const long long value = kNetcdfFillInt64;
      check(nc_put_att_longlong(ncid_, id, "_FillValue", NC_INT64, 1, &value),
            what);
      break;
    }
    case NetcdfType::kUint64: {
      const unsigned long long value = kNetcdfFillUint64;
      check(nc_put_att_ulonglong(ncid_, id, "_FillValue", NC_UINT64, 1, &value),
            what);
      break;
    }
    case NetcdfType::kByte:
      check(nc_put_att_schar(ncid_, id, "_FillValue", NC_BYTE, 1,
                             &kNetcdfFillByte),
            what);
      break;
    case NetcdfType::kString:
      break;
  }
  if (variableDimensions_.size() <= static_cast<std::size_t>(id)) {
    variableDimensions_.resize(static_cast<std::size_t>(id) + 1);
  }
  variableDimensions_[static_cast<std::size_t>(id)].assign(dimensions.begin(),
                                                           dimensions.end());
  return id;
}

void NetcdfDataset::attribute(int id, std::string_view name,
                              std::string_view text) {
  check(nc_put_att_text(ncid_, id == kGlobal ? NC_GLOBAL : id,
                        std::string(name).c_str(), text.size(), text.data()),
        "attribute " + std::string(name));
}

void NetcdfDataset::attribute(int id, std::string_view name, double value) {
  check(nc_put_att_double(ncid_, id == kGlobal ? NC_GLOBAL : id,
                          std::string(name).c_str(), NC_DOUBLE, 1, &value),
        "attribute " + std::string(name));
}

void NetcdfDataset::attribute(int id, std::string_view name,
                              std::int64_t value) {
  const long long v = value;
  check(nc_put_att_longlong(ncid_, id == kGlobal ? NC_GLOBAL : id,
                            std::string(name).c_str(), NC_INT64, 1, &v),
        "attribute " + std::string(name));
}

void NetcdfDataset::attribute(int id, std::string_view name,
                              std::span<const signed char> values) {
  check(nc_put_att_schar(ncid_, id == kGlobal ? NC_GLOBAL : id,
                         std::string(name).c_str(), NC_BYTE, values.size(),
                         values.data()),
        "attribute " + std::string(name));
}

void NetcdfDataset::endDefinitions() {
  check(nc_enddef(ncid_), "ending the definitions");
}

std::vector<std::size_t> NetcdfDataset::shape(int id) const {
  std::vector<std::size_t> lengths;
  for (int dimension : variableDimensions_.at(static_cast<std::size_t>(id))) {
    lengths.push_back(dimensionLengths_.at(static_cast<std::size_t>(dimension)));
  }
  return lengths;
}

void NetcdfDataset::goOnOrStop() const {
  if (goOn_ && !goOn_()) throw NetcdfStopped();
}

std::string NetcdfDataset::variableName(int id) const {
  char name[NC_MAX_NAME + 1] = {};
  nc_inq_varname(ncid_, id, name);
  return "variable " + std::string(name);
}

namespace {

std::size_t product(const std::vector<std::size_t>& lengths) {
  std::size_t total = 1;
  for (std::size_t length : lengths) total *= length;
  return total;
}

}  // namespace

void NetcdfDataset::put(int id, std::span<const double> values) {
  goOnOrStop();
  if (values.size() != product(shape(id))) {
    throw std::logic_error(variableName(id) + ": wrong number of values");
  }
  check(nc_put_var_double(ncid_, id, values.data()), variableName(id));
}

void NetcdfDataset::put(int id, std::span<const std::int64_t> values) {
  goOnOrStop();
  if (values.size() != product(shape(id))) {
    throw std::logic_error(variableName(id) + ": wrong number of values");
  }
  static_assert(sizeof(long long) == sizeof(std::int64_t));
  check(nc_put_var_longlong(
            ncid_, id, reinterpret_cast<const long long*>(values.data())),
        variableName(id));
}

void NetcdfDataset::put(int id, std::span<const std::uint64_t> values) {
  goOnOrStop();
  if (values.size() != product(shape(id))) {
    throw std::logic_error(variableName(id) + ": wrong number of values");
  }
  static_assert(sizeof(unsigned long long) == sizeof(std::uint64_t));
  check(nc_put_var_ulonglong(
            ncid_, id,
            reinterpret_cast<const unsigned long long*>(values.data())),
        variableName(id));
}

void NetcdfDataset::put(int id, std::span<const signed char> values) {
  goOnOrStop();
  if (values.size() != product(shape(id))) {
    throw std::logic_error(variableName(id) + ": wrong number of values");
  }
  check(nc_put_var_schar(ncid_, id, values.data()), variableName(id));
}

void NetcdfDataset::put(int id, const std::vector<std::string>& values) {
  goOnOrStop();
  if (values.size() != product(shape(id))) {
    throw std::logic_error(variableName(id) + ": wrong number of values");
  }
  std::vector<const char*> texts;
  texts.reserve(values.size());
  for (const std::string& value : values) texts.push_back(value.c_str());
  check(nc_put_var_string(ncid_, id, texts.data()), variableName(id));
}

void NetcdfDataset::put(int id, std::span<const std::size_t> start,
                        std::span<const std::size_t> count,
                        std::span<const double> values) {
  goOnOrStop();
  const std::vector<std::size_t> lengths = shape(id);
  bool inside = start.size() == lengths.size() && count.size() == lengths.size();
  std::size_t total = 1;
  for (std::size_t d = 0; inside && d < lengths.size(); ++d) {
    inside = start[d] + count[d] <= lengths[d];
    total *= count[d];
  }
  if (!inside || values.size() != total) {
    throw std::logic_error(variableName(id) + ": block outside the variable");
  }
  check(nc_put_vara_double(ncid_, id, start.data(), count.data(),
                           values.data()),
        variableName(id));
}

void NetcdfDataset::writeTo(std::ostream& out) {
  goOnOrStop();
  NC_memio memory{};
  const int status = nc_close_memio(ncid_, &memory);
  ncid_ = -1;
  check(status, "closing the dataset");
  out.write(static_cast<const char*>(memory.memory),
            static_cast<std::streamsize>(memory.size));
  std::free(memory.memory);
}

}  // namespace linprob
