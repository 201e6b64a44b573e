#include "results/added_measure.h"

namespace linprob {
namespace {

// The program's added measures, in the order of their columns and members:
// none yet. Each is the row its own header (or file pair) declares, an
// inline constexpr AddedMeasure beside its compute function; with one the
// list reads
//   constexpr AddedMeasure kAddedMeasures[] = {kSdRatioMeasure};
constexpr std::span<const AddedMeasure> kAddedMeasures;

}  // namespace

std::span<const AddedMeasure> addedMeasures() { return kAddedMeasures; }

std::size_t addedColumnCount(std::span<const AddedMeasure> rows) {
  std::size_t count = 0;
  for (const AddedMeasure& row : rows) count += row.columns.size();
  return count;
}

std::optional<std::span<const std::optional<double>>> addedValues(
    const PositionMeasures& measures, std::span<const AddedMeasure> rows,
    std::size_t r) {
  if (measures.added.size() != addedColumnCount(rows)) return std::nullopt;
  std::size_t first = 0;
  for (std::size_t k = 0; k < r; ++k) first += rows[k].columns.size();
  return std::span<const std::optional<double>>(measures.added)
      .subspan(first, rows[r].columns.size());
}

}  // namespace linprob
