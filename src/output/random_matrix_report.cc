#include "output/random_matrix_report.h"

#include <cstdint>

#include "distributions/family.h"
#include "linear/pivot_mode.h"
#include "output/csv_row.h"
#include "output/number_text.h"

namespace linprob {

using json_parts::Json;

Json randomMatrixJson(const RandomMatrixOutcome& random) {
  return Json{{"file", random.file},
              {"jobs", random.jobs},
              {"near_singular", random.refused},
              {"near_singular_share", random.refusedShare},
              {"pivot_changes", random.pivotChanges},
              {"pivot_change_share", random.pivotChangeShare},
              {"second_order_mean", random.secondOrderMean}};
}

void writeRandomMatrixCsv(const ResultStore& store, std::ostream& out) {
  writeCsvHeader(kRandomMatrixColumns, out);
  for (int system = 0; system < store.systemCount(); ++system) {
    for (const PivotMode& mode : kPivotModes) {
      for (const FamilyInfo& family : kFamilies) {
        const StoredPhase& run =
            store.phaseRun(system, mode.index, family.family);
        if (!run.stored || !run.randomMatrix) continue;
        const RandomMatrixOutcome& random = *run.randomMatrix;
        CsvRow row(kRandomMatrixColumns.size());
        row.count(static_cast<std::uint64_t>(system))
            .text(mode.label)
            .text(family.name)
            .text(random.file)
            .count(random.jobs)
            .count(random.refused)
            .number(random.refusedShare)
            .count(random.pivotChanges)
            .number(random.pivotChangeShare);
        row.writeTo(out);
      }
    }
  }
}

double randomMatrixCsvBytes(const RunShape& shape) {
  if (shape.randomMatrixSystems == 0) return 0.0;
  const double row = indexChars(shape.systems) + 12.0 + 11.0 + 18.0 +
                     3.0 * 20.0 + 2.0 * kRoundTripChars +
                     static_cast<double>(kRandomMatrixColumns.size());
  return 128.0 + static_cast<double>(shape.randomMatrixSystems) * 4.0 *
                     static_cast<double>(kFamilies.size()) * row;
}

}  // namespace linprob
