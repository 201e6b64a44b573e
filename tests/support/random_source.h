// Test helper: the source of a random sampling phase given as SamplingJobs
// (what the run makes for --points random).
#ifndef LINPROB_TESTS_SUPPORT_RANDOM_SOURCE_H_
#define LINPROB_TESTS_SUPPORT_RANDOM_SOURCE_H_

#include <memory>

#include "distributions/job_source.h"
#include "distributions/point_kinds.h"
#include "distributions/sample_blocks.h"

namespace linprob::testing_support {

inline SourceRequest randomRequest(const SamplingJobs& jobs) {
  SourceRequest request;
  request.family = &familyInfo(jobs.family);
  request.n = jobs.n;
  request.entries = jobs.parameters;
  request.count = jobs.sampleCount;
  request.seed = jobs.seed;
  request.kind = PointKind::kRandom;
  return request;
}

inline std::unique_ptr<JobSource> randomSource(const SamplingJobs& jobs) {
  return makeJobSource(randomRequest(jobs));
}

}  // namespace linprob::testing_support

#endif  // LINPROB_TESTS_SUPPORT_RANDOM_SOURCE_H_
