// Report/results.nc's bytes opened in memory through the netCDF library,
// for a test's reads.
#ifndef LINPROB_TESTS_SUPPORT_OPENED_NC_FILE_H_
#define LINPROB_TESTS_SUPPORT_OPENED_NC_FILE_H_

#include <gtest/gtest.h>
#include <netcdf.h>
#include <netcdf_mem.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace linprob::testing_support {

class OpenedFile {
 public:
  explicit OpenedFile(std::string bytes) : bytes_(std::move(bytes)) {
    EXPECT_EQ(nc_open_mem("results.nc", NC_NOWRITE, bytes_.size(), bytes_.data(), &id_),
              NC_NOERR);
  }
  ~OpenedFile() { nc_close(id_); }
  std::size_t dimension(const char* name) const {
    int dim = 0;
    std::size_t length = 0;
    EXPECT_EQ(nc_inq_dimid(id_, name, &dim), NC_NOERR) << name;
    nc_inq_dimlen(id_, dim, &length);
    return length;
  }
  std::vector<double> doubles(const char* name, std::size_t count) const {
    int var = 0;
    std::vector<double> values(count);
    EXPECT_EQ(nc_inq_varid(id_, name, &var), NC_NOERR) << name;
    EXPECT_EQ(nc_get_var_double(id_, var, values.data()), NC_NOERR) << name;
    return values;
  }
  std::string text(const char* name) const {
    int var = 0;
    std::size_t length = 0;
    EXPECT_EQ(nc_inq_varid(id_, name, &var), NC_NOERR) << name;
    nc_inq_attlen(id_, var, "long_name", &length);
    std::string value(length, '\0');
    nc_get_att_text(id_, var, "long_name", value.data());
    return value;
  }

 private:
  std::string bytes_;
  int id_ = -1;
};

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_SUPPORT_OPENED_NC_FILE_H_
