// JobBlock: up to kBlockJobs jobs moved and solved together.
//
// Values are stored entry-major (structure of arrays): entry e of job j is
// values[e * kBlockJobs + j], so one recorded step is applied to every job of
// the block by one loop over contiguous memory. A block is allocated once and
// reused for the whole phase; filling and solving it allocate nothing.
#ifndef LINPROB_DISTRIBUTIONS_JOB_BLOCK_H_
#define LINPROB_DISTRIBUTIONS_JOB_BLOCK_H_

#include <algorithm>
#include <cstddef>
#include <vector>

namespace linprob {

// 1024 jobs: a block of four entries (32 KiB) still fits the first-level
// cache while the queue's lock and wake-up are paid once per 1024 jobs.
inline constexpr std::size_t kBlockJobs = 1024;

struct JobBlock {
  // No jobs and no room for any: a slot to move a block into.
  JobBlock() = default;
  explicit JobBlock(unsigned n)
      : values(static_cast<std::size_t>(n) * kBlockJobs, 0.0),
        probabilities(kBlockJobs, 0.0) {}

  double* entry(unsigned e) { return values.data() + e * kBlockJobs; }
  const double* entry(unsigned e) const {
    return values.data() + e * kBlockJobs;
  }

  // Zeroes jobs used ... kBlockJobs-1, so that code that processes whole
  // blocks never meets the values of an earlier fill.
  void clearLanesFrom(std::size_t used) {
    for (std::size_t at = used; at < values.size(); at += kBlockJobs) {
      std::fill(values.begin() + static_cast<std::ptrdiff_t>(at),
                values.begin() + static_cast<std::ptrdiff_t>(
                                     at - used + kBlockJobs),
                0.0);
    }
    std::fill(probabilities.begin() + static_cast<std::ptrdiff_t>(used),
              probabilities.end(), 0.0);
  }

  std::size_t count = 0;  // jobs in use, 0 ... kBlockJobs
  std::vector<double> values;
  std::vector<double> probabilities;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_BLOCK_H_
