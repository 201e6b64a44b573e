// RunShape: what the size of every file a run writes follows, known from
// the settings before the run starts: its systems, unknowns and bands, its
// points, whether it writes the report and computes certified values. Each
// writer estimates the bytes of its files from it (summary_file.h,
// csv_export.h, tidy_csv.h, document_sizes.h), and the run's footprint
// (cost/run_footprint.h) adds those estimates up (run_files.h).
//
// An estimate is meant to be at least what the writer writes and at most
// about twice it: numbers are counted at the most characters they take as
// a rule (kRoundTripChars, kSixDigitChars), indices at the digits of the
// largest one, and a table at the most bands it can hold.
#ifndef LINPROB_OUTPUT_RUN_SHAPE_H_
#define LINPROB_OUTPUT_RUN_SHAPE_H_

#include <optional>
#include <string_view>

#include "distributions/family.h"
#include "distributions/point_kinds.h"

namespace linprob {

// Whether the run writes Report/ (--no-report skips it).
enum class ReportWriting { kWritten, kSkipped };
// Whether it writes the summary files and the CSV export (a run from
// Python skips them).
enum class SummaryWriting { kWritten, kSkipped };

// Whether the systems' certified references (the exact values, the
// inverse, the variance shares and the continuous truth) are computed: for
// the report, up to kMaxCertifiedSize unknowns.
enum class CertifiedValues { kComputed, kNone };

// Whether each unknown gets its coverage intervals (and what is measured
// from them): up to kMaxSubBandPositions unknowns, which have fine
// histograms.
enum class CoverageIntervals { kComputed, kNone };

struct RunShape {
  int systems = 0;
  // Those with an interval matrix (IntMatice.txt).
  int intervalMatrixSystems = 0;
  // The systems with a random matrix (NormalMatice.txt or UniformMatice.txt).
  int randomMatrixSystems = 0;
  int unknowns = 0;
  // The most bands a table holds: HistogramPrecision, or one more.
  int bands = 1;
  PointKind points = PointKind::kEnumeration;
  // The batches of a sampling phase (the points of its convergence when
  // two or more); 0 in enumeration.
  int batches = 0;
  // A sampling run's --digits.
  std::optional<int> digits;
  ReportWriting report = ReportWriting::kWritten;
  SummaryWriting summaries = SummaryWriting::kWritten;
  // The families analysed by some system.
  FamilySet families = requiredFamilies();
  CertifiedValues certified = CertifiedValues::kComputed;
  CoverageIntervals coverage = CoverageIntervals::kComputed;
  // Where the CSV export goes ("Export/" ...).
  std::string_view exportFolder = "Export/";

  bool sampling() const { return points != PointKind::kEnumeration; }
  double familyCount() const { return static_cast<double>(families.count()); }
  bool certifies() const { return certified == CertifiedValues::kComputed; }
  bool covers() const { return coverage == CoverageIntervals::kComputed; }
  // systems x modes x families x unknowns.
  double tables() const;
};

// A kind of file a run writes: its name, or a pattern of its names with
// "*" for any characters ("systems/*"), and its bytes for a run of a shape,
// all its files together.
struct EstimatedFile {
  std::string_view name;
  double (*estimate)(const RunShape& shape);
};

// The characters a number takes in the files at most, as a rule: a double
// in its shortest round-trip form (number_text.h: 17 significant digits, a
// sign, a point and a two-digit exponent, "-1.2345678901234567e-05"), and
// in six significant digits ("-1.23457e-05").
inline constexpr double kRoundTripChars = 23.0;
inline constexpr double kSixDigitChars = 12.0;

// The decimal digits of the largest of `count` indices 0 ... count - 1
// (1 for a count up to 10).
double indexChars(double count);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_RUN_SHAPE_H_
