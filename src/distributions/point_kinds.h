// The kinds of points a distribution phase solves, one row each: every
// combination of cells (enumeration), or samples drawn as independent
// pseudo-random numbers, scrambled Sobol' points or Latin hypercube designs.
// A run chooses one kind (the driver maps Settings.txt's ExactDistributions
// and --points onto it); everything past that reads the kind's row: its
// names, its jobs and chunks per phase, how --check describes them, which
// threads produce them, how its samples fall into replicates, and what
// makes its source.
//
// A new kind of sampled points is a file pair of its own (a PointGenerator
// and its make function, declared below) and, here, an enumerator and a row.
// PointKind, the vocabulary the rest of the program speaks, is defined here
// too, so that the kind and its row are added together.
#ifndef LINPROB_DISTRIBUTIONS_POINT_KINDS_H_
#define LINPROB_DISTRIBUTIONS_POINT_KINDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "distributions/job_chunk.h"

namespace linprob {

// Which points a distribution phase solves.
enum class PointKind {
  kEnumeration,     // every combination of one cell per entry
  kRandom,          // independent pseudo-random samples
  kSobol,           // scrambled Sobol' points
  kLatinHypercube,  // Latin hypercube designs
};

// Which threads put a source's chunks on the phase's queue.
enum class ProducerThreads {
  kCallingThread,     // the phase's own thread, silently
  kGeneratorThreads,  // GeneratorThreadCount threads with their lines
};

// How a kind's jobs fall into replicates (PointDesign), the batches of a
// sampling phase's standard errors.
enum class Replicates {
  kNone,  // enumeration: no samples, no batches
  // Independent samples: SampleCount of them in one replicate, and a design
  // of R replicates of N is drawn as one replicate of R * N.
  kOne,
  // kReplicates independent designs of SampleCount / kReplicates points
  // each (rounded up), of any size or of the power of two at or above it.
  kAnySize,
  kPowerOfTwo,
};

struct FamilyBox;
struct PointDesign;  // point_design.h
class JobSource;
class PointGenerator;
struct SourceRequest;

// The jobs of one phase and the chunks they are split into.
struct PhaseJobs {
  std::uint64_t jobs = 0;  // 0 for a count below 1; saturates at 2^64 - 1
  ChunkPlan plan;
};

struct PointKindRow {
  PointKind kind;
  // "enumeration", "random", "sobol", "lhs": what --points and the
  // results call the kind.
  const char* name;
  // The results' kind of run: "enumeration" or "sampling".
  const char* runKind;
  Replicates replicates;
  ProducerThreads producers;
  // How --check describes a phase's jobs, after their number, with {cells},
  // {entries}, {sets} and {each} replaced by the cells per entry, the
  // entries, the replicates and the points of each.
  const char* jobsWords;
  // What the start-of-run check says of a box that is not finite.
  const char* unsoundBox;
  // The power of the samples by which the shortest interval's ends settle
  // (shortest_errors.h); 0 in enumeration.
  double shortestRate;
  // The jobs and chunks of a phase of n entries with `count` (cells per
  // entry, or SampleCount).
  PhaseJobs (*phaseJobs)(PointKind kind, unsigned n, int count);
  // The phase's source (request.kind is this kind).
  std::unique_ptr<JobSource> (*make)(const SourceRequest& request);
  // The generator of the points of `design` (nullptr in enumeration).
  std::unique_ptr<PointGenerator> (*generator)(const SourceRequest& request,
                                               const PointDesign& design);
};

// The sources and generators of the kinds, each defined in its own files.
std::unique_ptr<JobSource> makeEnumerationSource(const SourceRequest& request);
std::unique_ptr<JobSource> makeSampledSource(const SourceRequest& request);
std::unique_ptr<PointGenerator> makeRandomPoints(const SourceRequest& request,
                                                 const PointDesign& design);
std::unique_ptr<PointGenerator> makeSobolPoints(const SourceRequest& request,
                                                const PointDesign& design);
std::unique_ptr<PointGenerator> makeLatinHypercubePoints(
    const SourceRequest& request, const PointDesign& design);

PhaseJobs enumerationPhaseJobs(PointKind kind, unsigned n, int cells);
PhaseJobs sampledPhaseJobs(PointKind kind, unsigned n, int sampleCount);

// Indexed by PointKind.
inline constexpr auto kPointKindRows = std::to_array<PointKindRow>({
    {PointKind::kEnumeration, "enumeration", "enumeration", Replicates::kNone,
     ProducerThreads::kGeneratorThreads,
     " (every combination of {cells} cells for each of {entries} entries)",
     "the cells are not finite", 0.0, enumerationPhaseJobs,
     makeEnumerationSource, nullptr},
    {PointKind::kRandom, "random", "sampling", Replicates::kOne,
     ProducerThreads::kCallingThread, " (random samples)",
     "the sampling range is not finite", 1.0 / 3.0, sampledPhaseJobs,
     makeSampledSource, makeRandomPoints},
    {PointKind::kSobol, "sobol", "sampling", Replicates::kPowerOfTwo,
     ProducerThreads::kCallingThread,
     " (sobol points: {sets} independently scrambled sets of {each} Sobol' "
     "points)",
     "the sampling range is not finite", 2.0 / 7.0, sampledPhaseJobs,
     makeSampledSource, makeSobolPoints},
    {PointKind::kLatinHypercube, "lhs", "sampling", Replicates::kAnySize,
     ProducerThreads::kCallingThread,
     " (lhs points: {sets} Latin hypercube designs of {each} points)",
     "the sampling range is not finite", 1.0 / 3.0, sampledPhaseJobs,
     makeSampledSource, makeLatinHypercubePoints},
});

constexpr bool rowsInKindOrder() {
  for (std::size_t k = 0; k < kPointKindRows.size(); ++k) {
    if (static_cast<std::size_t>(kPointKindRows[k].kind) != k) return false;
  }
  return true;
}
static_assert(rowsInKindOrder(), "kPointKindRows is indexed by PointKind");

// Every row whole: its names and words set, and a rate exactly where the
// kind samples. Its functions (set, and a generator exactly where the kind
// samples) are held by PointKindsTest: a function's address is not a
// constant expression under the undefined-behaviour sanitizer.
constexpr bool rowsComplete() {
  for (const PointKindRow& row : kPointKindRows) {
    const bool samples = row.replicates != Replicates::kNone;
    if (row.name == nullptr || row.runKind == nullptr ||
        row.jobsWords == nullptr || row.unsoundBox == nullptr ||
        (row.shortestRate > 0.0) != samples) {
      return false;
    }
  }
  return true;
}
static_assert(rowsComplete(), "every row of kPointKindRows is whole");

inline const PointKindRow& pointKindRow(PointKind kind) {
  return kPointKindRows[static_cast<std::size_t>(kind)];
}

// Whether the kind draws samples (every kind but enumeration).
inline bool drawsSamples(PointKind kind) {
  return pointKindRow(kind).replicates != Replicates::kNone;
}

// The sampled kind called `name` ("random", "sobol", "lhs"); none for
// enumeration or an unknown name.
std::optional<PointKind> sampledKindNamed(std::string_view name);

// The names of the kinds that sample, as --points lists them: "random,
// sobol or lhs".
std::string sampledKindNames();

// The jobs of a phase of n entries with `count` cells or samples.
inline PhaseJobs phaseJobsOf(PointKind kind, unsigned n, int count) {
  return pointKindRow(kind).phaseJobs(kind, n, count);
}

// " (random samples)", " (every combination of 50 cells for each of 4
// entries)", " (sobol points: 16 independently scrambled sets of 8192
// Sobol' points)".
std::string describeJobs(PointKind kind, unsigned n, int count);

// The source of a phase; request.family must be set.
std::unique_ptr<JobSource> makeJobSource(const SourceRequest& request);
// The source of one design of sampled points (a --digits round); throws
// std::invalid_argument for a design of enumeration.
std::unique_ptr<JobSource> makeDesignSource(const SourceRequest& request,
                                            const PointDesign& design);
// The box that holds every job of the phase (the start-of-run check); for
// sampled points without making them.
FamilyBox phaseBox(const SourceRequest& request);

// The design of a fixed-count phase of SampleCount `sampleCount`, and the
// rounds of a --digits phase (point_design.h says how each is laid out).
PointDesign pointDesign(PointKind points, int sampleCount);
std::vector<PointDesign> digitsRounds(PointKind points, int ceiling);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_POINT_KINDS_H_
