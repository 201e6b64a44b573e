#include "cost/truth_timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "base/elapsed_seconds.h"
#include "distributions/family.h"
#include "linear/ball.h"
#include "linear/inverse_rows.h"
#include "results/continuous_truth.h"
#include "results/system_reference.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// Every row the same: entries (1 + j mod 7) / 7, every third negative.
class MadeUpRows final : public InverseRows {
 public:
  explicit MadeUpRows(unsigned n) : n_(n) {}
  unsigned size() const override { return n_; }
  void row(unsigned, slong, arb_ptr out) const override {
    for (unsigned j = 0; j < n_; ++j) arb_set_d(out + j, entry(j));
  }
  static double entry(unsigned j) {
    const double value = (1.0 + j % 7) / 7.0;
    return j % 3 == 2 ? -value : value;
  }

 private:
  unsigned n_;
};

}  // namespace

double truthSecondsPerSystem(const RunConfig& config,
                             unsigned hardwareThreads) {
  const RunSettings& settings = config.settings();
  const unsigned n = settings.Dimensions;
  if (!config.writesReport() || n == 0 || n > kMaxCertifiedSize) return 0.0;
  const MadeUpRows rows(n);
  // Entries on [-1, 1] (normal: variance 1/3), so sd^2 = sum a_j^2 / 3.
  double squares = 0.0;
  for (unsigned j = 0; j < n; ++j) {
    squares += MadeUpRows::entry(j) * MadeUpRows::entry(j);
  }
  const double sd = std::sqrt(squares / 3.0);
  const int bands = std::max(settings.HistogramPrecision, 1);
  std::vector<double> borders;
  for (int k = 1; k <= bands; ++k) borders.push_back(-3.0 * sd + 6.0 * sd * k / bands);
  std::vector<double> bounds(2 * std::size_t{n}, 1.0);
  std::vector<double> normal(2 * std::size_t{n}, 1.0 / 3.0);
  for (unsigned j = 0; j < n; ++j) {
    bounds[2 * std::size_t{j}] = -1.0;
    normal[2 * std::size_t{j}] = 0.0;
  }

  // The shorter of two passes over the families: the run computes
  // thousands of truths in a row, with Arb's caches warm. The release of
  // those caches at the end (tens of milliseconds, once per run) is not
  // one unknown's cost and stays out of the time.
  double seconds = 0.0;
  for (int pass = 0; pass < 2; ++pass) {
    const Clock::time_point start = Clock::now();
    for (const FamilyInfo& family : kFamilies) {
      if (family.shape == EntryShape::kOther ||
          family.shape == EntryShape::kListed) {
        continue;
      }
      TruthQuestion question;
      question.inverse = &rows;
      question.shape = family.shape;
      question.pairs = family.shape == EntryShape::kNormal ? &normal : &bounds;
      question.min = -3.0 * sd;
      question.borders = &borders;
      question.walked = borders.size();
      continuousTruth(question);
    }
    const double passSeconds = secondsSince(start);
    seconds = pass == 0 ? passSeconds : std::min(seconds, passSeconds);
  }
  releaseArbCaches();
  const unsigned threads = std::max(
      1u, std::min(static_cast<unsigned>(std::max(settings.SolverThreadCount, 1)),
                   std::max(hardwareThreads, 1u)));
  return seconds * n * 4.0 / threads;
}

}  // namespace linprob
