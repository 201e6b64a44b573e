#include "distributions/point_kinds.h"

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "distributions/family_box.h"
#include "distributions/job_block.h"
#include "distributions/job_source.h"
#include "distributions/point_design.h"
#include "distributions/point_generator.h"
#include "distributions/sampling_source.h"

namespace linprob {
namespace {

// `words` with every {name} in `values` replaced by its number.
std::string filledIn(std::string words,
                     std::initializer_list<std::pair<const char*, std::uint64_t>>
                         values) {
  for (const auto& [name, value] : values) {
    const std::string key = std::string("{") + name + "}";
    for (std::size_t at = words.find(key); at != std::string::npos;
         at = words.find(key, at)) {
      const std::string number = std::to_string(value);
      words.replace(at, key.size(), number);
      at += number.size();
    }
  }
  return words;
}

}  // namespace

std::optional<PointKind> sampledKindNamed(std::string_view name) {
  for (const PointKindRow& row : kPointKindRows) {
    if (drawsSamples(row.kind) && name == row.name) return row.kind;
  }
  return std::nullopt;
}

std::string sampledKindNames() {
  std::string names;
  std::string last;
  for (const PointKindRow& row : kPointKindRows) {
    if (!drawsSamples(row.kind)) continue;
    if (!last.empty()) names += names.empty() ? last : ", " + last;
    last = row.name;
  }
  return names.empty() ? last : names + " or " + last;
}

std::string describeJobs(PointKind kind, unsigned n, int count) {
  const PointDesign design = pointDesign(kind, count);
  return filledIn(pointKindRow(kind).jobsWords,
                  {{"cells", static_cast<std::uint64_t>(count)},
                   {"entries", n},
                   {"sets", design.replicates},
                   {"each", design.replicateJobs}});
}

std::unique_ptr<JobSource> makeJobSource(const SourceRequest& request) {
  return pointKindRow(request.kind).make(request);
}

std::unique_ptr<JobSource> makeSampledSource(const SourceRequest& request) {
  return makeDesignSource(request, pointDesign(request.kind, request.count));
}

std::unique_ptr<JobSource> makeDesignSource(const SourceRequest& request,
                                            const PointDesign& design) {
  const PointKindRow& row = pointKindRow(design.points);
  if (row.generator == nullptr) {
    throw std::invalid_argument(std::string("point kinds: ") + row.name +
                                " has no design of points");
  }
  // Independent samples are one replicate however many the design has:
  // their blocks then fall into its batches (PointDesign::batchOf).
  const PointDesign laidOut =
      row.replicates == Replicates::kOne
          ? PointDesign{design.points, 1, design.jobCount()}
          : design;
  return std::make_unique<SamplingSource>(request, laidOut,
                                          row.generator(request, laidOut));
}

FamilyBox phaseBox(const SourceRequest& request) {
  if (drawsSamples(request.kind)) {
    return samplingBox(*request.family, request.entries);
  }
  return makeJobSource(request)->box();
}

PointDesign pointDesign(PointKind points, int sampleCount) {
  const auto samples = static_cast<std::uint64_t>(std::max(sampleCount, 0));
  const Replicates replicates = pointKindRow(points).replicates;
  if (replicates == Replicates::kOne || replicates == Replicates::kNone) {
    return PointDesign{points, 1, samples};
  }
  const std::uint64_t each = (samples + kReplicates - 1) / kReplicates;
  if (replicates == Replicates::kPowerOfTwo && each > 0) {
    return PointDesign{points, kReplicates, std::bit_ceil(each)};
  }
  return PointDesign{points, kReplicates, each};
}

std::vector<PointDesign> digitsRounds(PointKind points, int ceiling) {
  const auto samples = static_cast<std::uint64_t>(std::max(ceiling, 0));
  if (samples < 2 * kReplicates) return {pointDesign(points, ceiling)};
  const std::uint64_t last =
      pointKindRow(points).replicates == Replicates::kPowerOfTwo
          ? pointDesign(points, ceiling).replicateJobs
          : samples / kReplicates;
  std::vector<PointDesign> rounds;
  for (std::uint64_t each = kBlockJobs; each < last; each *= 2) {
    rounds.push_back(PointDesign{points, kReplicates, each});
  }
  rounds.push_back(PointDesign{points, kReplicates, last});
  return rounds;
}

PhaseJobs sampledPhaseJobs(PointKind kind, unsigned /*n*/, int sampleCount) {
  const PointDesign design = pointDesign(kind, sampleCount);
  return PhaseJobs{design.jobCount(), design.chunkPlan()};
}

}  // namespace linprob
