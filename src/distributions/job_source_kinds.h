// The kinds of job source, one row each: what a run calls them, how a
// phase's source of that kind is made and how many jobs it has. A new kind
// of source is its own file pair (a JobSource with the row's functions) and,
// here, an enumerator of JobSourceKind, its header and its row.
#ifndef LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_
#define LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "distributions/enumeration_source.h"
#include "distributions/job_source.h"
#include "distributions/point_source.h"
#include "distributions/sampling_source.h"

namespace linprob {

enum class JobSourceKind {
  kEnumeration,  // every combination of one cell per entry
  kSampling,     // independent right-hand sides, random or quasi-random
};

// Which threads put a source's chunks on the phase's queue.
enum class ProducerThreads {
  kCallingThread,     // the phase's own thread, silently
  kGeneratorThreads,  // GeneratorThreadCount threads with their lines
};

struct JobSourceRow {
  JobSourceKind kind;
  const char* name;  // "enumeration", "sampling": the run's kind in results
  ProducerThreads producers;
  // How --check describes a phase's jobs, after their number: " (every
  // combination of 50 cells for each of 4 entries)", " (random samples)".
  std::string (*describeJobs)(unsigned n, int count);
  // What the start-of-run check says of a box that is not finite.
  const char* unsoundBox;
  // The jobs of a phase of n entries with `count` (cells per entry, or
  // samples): 0 for a count below 1, the largest 64-bit count when beyond.
  std::uint64_t (*jobsPerPhase)(unsigned n, int count);
  // The units those jobs are grouped in (prefixes, blocks of samples): with
  // the jobs, what ChunkPlan::of splits into the phase's chunks.
  std::uint64_t (*unitsPerPhase)(unsigned n, int count);
  std::unique_ptr<JobSource> (*make)(const SourceRequest& request);
};

// Indexed by JobSourceKind.
inline constexpr std::array<JobSourceRow, 2> kJobSourceRows = {{
    {JobSourceKind::kEnumeration, "enumeration",
     ProducerThreads::kGeneratorThreads, EnumerationSource::describeJobs,
     "the cells are not finite", EnumerationSource::jobsFor,
     EnumerationSource::unitsFor, EnumerationSource::make},
    {JobSourceKind::kSampling, "sampling", ProducerThreads::kCallingThread,
     SamplingSource::describeJobs, "the sampling range is not finite",
     SamplingSource::jobsFor, SamplingSource::unitsFor, makeSamplingSource},
}};

constexpr bool rowsInKindOrder() {
  for (std::size_t k = 0; k < kJobSourceRows.size(); ++k) {
    if (static_cast<std::size_t>(kJobSourceRows[k].kind) != k) return false;
  }
  return true;
}
static_assert(rowsInKindOrder(), "kJobSourceRows is indexed by JobSourceKind");

inline const JobSourceRow& jobSourceRow(JobSourceKind kind) {
  return kJobSourceRows[static_cast<std::size_t>(kind)];
}

// The source of a phase; request.family must be set.
inline std::unique_ptr<JobSource> makeJobSource(JobSourceKind kind,
                                                const SourceRequest& request) {
  return jobSourceRow(kind).make(request);
}

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_
