#include "output/summary_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "distributions/family.h"
#include "linear/pivot_mode.h"
#include "output/number_text.h"

namespace linprob {
namespace {

void printNoSamples(unsigned unknown, std::ostream& out) {
  out << "No samples were solved for variable number " << unknown << "."
      << std::endl;
}

const char* missingReason(ApproxState state) {
  return state == ApproxState::kNegativeVariance
             ? ": its variance is negative."
             : ": its mean or variance is not finite.";
}

}  // namespace

void printSamplesUsed(const PhaseResult& phase, std::ostream& out) {
  if (!phase.digits) return;
  const DigitsStop& digits = *phase.digits;
  out << "Samples used: " << phase.solvedJobs();
  if (digits.end == DigitsEnd::kRuleMet) {
    out << ", where the --digits " << digits.digits
        << " rule was met (at most " << digits.mostSamples << ")." << std::endl;
  } else {
    out << ", the most allowed (" << digits.mostSamples << "); the --digits "
        << digits.digits << " rule was not met." << std::endl;
  }
}

// A phase whose matrix was random: what its samples did.
void printRandomMatrix(const PhaseResult& phase, std::ostream& out) {
  if (!phase.randomMatrix) return;
  const RandomMatrixOutcome& random = *phase.randomMatrix;
  out << "Random matrix (" << random.file << "): each job eliminated on "
      << "its own; near-singular, not solved: " << random.refused << " of "
      << random.jobs << " (share " << SixDigits{random.refusedShare}
      << "); pivot order other than the mean matrix's: "
      << random.pivotChanges << " (share "
      << SixDigits{random.pivotChangeShare} << ")." << std::endl;
}

void printBounds(const std::vector<Interval>& solution,
                 const std::vector<unsigned>& columnOrder, std::ostream& out) {
  // Position order; each line names the unknown that sits at that position.
  for (std::size_t k = 0; k < solution.size(); ++k) {
    out << "Variable number " << columnOrder[k]
        << " has bounds: " << SixDigits{solution[k].lower()} << " to "
        << SixDigits{solution[k].upper()} << std::endl;
  }
}

void printValidTables(const PhaseResult& phase, std::ostream& out) {
  for (const PositionResult& position : phase.positions) {
    if (!position.solved()) {
      printNoSamples(position.unknown, out);
      continue;
    }
    const PositionBands& bands = position.valid;
    out << "Showing probabilities for variable number " << position.unknown
        << std::endl;
    out << "<" << SixDigits{bands.min} << " : 0" << std::endl;
    for (std::size_t k = 0; k < bands.borders.size(); ++k) {
      // A failed (or stopped) stream drops the rest: skip its formatting.
      if (!out) return;
      const double upper = bands.borders[k];
      // The lower border is recomputed from the upper one.
      const double lower = upper - bands.step;
      out << SixDigits{lower} << " to " << SixDigits{upper}
          << " : P=" << SixDigits{bands.masses[k]} << std::endl;
    }
  }
}

void printInvalidTables(const PhaseResult& phase, std::ostream& out) {
  for (const PositionResult& position : phase.positions) {
    if (!position.solved()) {
      printNoSamples(position.unknown, out);
      continue;
    }
    if (!position.hasInvalid()) {
      out << "No normal approximation exists for variable number "
          << position.unknown << missingReason(position.approxState)
          << std::endl;
      continue;
    }
    const NormalTable& table = position.invalid;
    const PositionBands& bands = position.valid;
    out << "Showing INVALID probabilities for variable number "
        << position.unknown << std::endl;
    out << "Lower than " << SixDigits{bands.min} << " : "
        << SixDigits{table.lowerTail} << std::endl;
    double from = bands.min;
    for (std::size_t k = 0; k < table.masses.size(); ++k) {
      if (!out) return;
      const double to = bands.borders[k];
      out << SixDigits{from} << " to " << SixDigits{to} << " : "
          << SixDigits{table.masses[k]} << std::endl;
      from = to;
    }
    out << "More than " << SixDigits{table.upperBorder} << " : "
        << SixDigits{table.upperTail} << std::endl;
  }
}

void writeSummary(const SystemResult& result, std::ostream& out) {
  out << std::endl << "Exact values" << std::endl;
  printBounds(result.plainReplayBounds, result.columnOrder, out);
  out << std::endl << "Interval arithmetic values" << std::endl;
  printBounds(result.interval, result.columnOrder, out);
  for (const PhaseResult& phase : result.phases) {
    const FamilyInfo& family = familyInfo(phase.family);
    out << std::endl << family.validHeader << std::endl;
    printSamplesUsed(phase, out);
    printRandomMatrix(phase, out);
    printValidTables(phase, out);
    out << std::endl << family.invalidHeader << std::endl;
    if (phase.randomMatrix) {
      out << "First-order approximation at the mean matrix." << std::endl;
    }
    printInvalidTables(phase, out);
  }
}

double summaryFilesBytes(const RunShape& shape) {
  const double n = shape.unknowns;
  const double d = indexChars(n);
  const double x = kSixDigitChars;
  const auto chars = [](std::string_view text) {
    return static_cast<double>(text.size());
  };
  const double boundsLine =
      chars("Variable number  has bounds:  to \n") + d + 2.0 * x;
  double mode = chars("\nExact values\n\nInterval arithmetic values\n") +
                2.0 * n * boundsLine;
  for (const FamilyInfo& family : kFamilies) {
    if (!shape.families.test(static_cast<std::size_t>(family.family))) continue;
    mode += chars(family.validHeader) + chars(family.invalidHeader) + 4.0;
    // "Samples used: 4096, where the --digits 2 rule was met (at most
    // 100000)." or the longer line of a rule not met.
    if (shape.digits) mode += 100.0;
    // A random matrix's two lines, in every system at most.
    if (shape.randomMatrixSystems > 0) mode += 200.0;
  }
  const double k = shape.bands;
  const double valid = chars("Showing probabilities for variable number \n") +
                       d + chars("< : 0\n") + x +
                       k * (chars(" to  : P=\n") + 3.0 * x);
  const double invalid =
      chars("Showing INVALID probabilities for variable number \n") + d +
      chars("Lower than  : \n") + 2.0 * x + k * (chars(" to  : \n") + 3.0 * x) +
      chars("More than  : \n") + 2.0 * x;
  mode += shape.familyCount() * n * (valid + invalid);
  return static_cast<double>(shape.systems) *
         static_cast<double>(kPivotModes.size()) * mode;
}

}  // namespace linprob
