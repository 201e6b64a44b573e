// The kinds of job source, one row each: what a run calls them and how a
// phase's source of that kind is made. A new kind of source is its own file
// pair (a JobSource) plus one row here and one enumerator in JobSourceKind.
#ifndef LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_
#define LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "distributions/job_source.h"

namespace linprob {

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

const JobSourceRow& jobSourceRow(JobSourceKind kind);

// The source of a phase; request.family must be set.
std::unique_ptr<JobSource> makeJobSource(JobSourceKind kind,
                                         const SourceRequest& request);

// base^exponent, or the largest 64-bit count when that is beyond 64 bits.
std::uint64_t saturatedPower(std::uint64_t base, unsigned exponent);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_JOB_SOURCE_KINDS_H_
