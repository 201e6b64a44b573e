#include "cost/writer_timing.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>

#include "base/elapsed_seconds.h"
#include "config/run_report.h"
#include "linear/interval.h"
#include "linear/pivot_mode.h"
#include "output/csv_export.h"
#include "output/html_report.h"
#include "output/number_text.h"
#include "output/page_document.h"
#include "output/page_form.h"
#include "output/report_folder.h"
#include "output/results_json.h"
#include "output/summary_file.h"
#include "results/phase_result.h"
#include "results/phase_measures.h"
#include "results/position_measures.h"
#include "results/result_store.h"
#include "results/system_reference.h"

namespace linprob {
namespace {

using Clock = std::chrono::steady_clock;

// Unknowns of the made-up system, and the most bands its 12 x unknowns
// tables hold together before the time per band is taken from two sizes.
constexpr unsigned kTimedUnknowns = 16;
constexpr double kTimedBands = 24000.0;

// A stream buffer that keeps nothing: the writers' formatting is timed, not
// the disk.
class DiscardingBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override {
    return count;
  }
};

// A regular system of `n` unknowns: the identity with a sampling family on
// [-1, 1] (normal N(0, 1)); its exact references only when `exact`.
SystemReference madeUpReference(unsigned n, bool exact) {
  SystemInputs inputs;
  inputs.n = n;
  inputs.matrix.assign(std::size_t{n} * n, 0.0);
  for (unsigned k = 0; k < n; ++k) inputs.matrix[std::size_t{k} * n + k] = 1.0;
  inputs.rhs.assign(n, 0.1);
  inputs.intervalRhs.assign(n, ValueBounds{-1.0, 1.0});
  for (const ParameterKindInfo& kind : kParameterKinds) {
    for (unsigned k = 0; k < n; ++k) {
      kind.standIn(0.0, 1.0, inputs.parametersOf(kind.kind));
    }
  }
  if (exact) return makeSystemReference(std::move(inputs));
  SystemReference reference;
  reference.n = n;
  reference.matrix = std::move(inputs.matrix);
  reference.rhs = std::move(inputs.rhs);
  reference.intervalRhs = std::move(inputs.intervalRhs);
  return reference;
}

// One phase of the made-up system: every position with `bands` bands
// between ends of full length, its masses, moments and fine histogram.
PhaseBands madeUpBands(unsigned n, int bands) {
  PhaseBands phase(n);
  for (unsigned e = 0; e < n; ++e) {
    PositionBands& position = phase[e];
    position.count = 1000;
    position.min = -1.2345678901234567 - 0.1 * e;
    position.max = 2.3456789012345678 + 0.1 * e;
    layBorders(position, bands);
    const double share = 1.0 / static_cast<double>(position.masses.size());
    std::fill(position.masses.begin(), position.masses.end(), share);
    position.moments.emplace(0.0);
    position.moments->addSums(1.0, 0.1, 1.1);
    position.fine.emplace(position.min, position.max);
    position.fine->add(position.min, 0.5);
    position.fine->add(position.max, 0.5);
  }
  return phase;
}

// Seconds for the measures and every writer of one made-up system of `n`
// unknowns with `bands` bands a table.
double timeOneSystem(const RunConfig& config, unsigned n, int bands) {
  const RunSettings& settings = config.settings();
  DiscardingBuffer discard;
  std::ostream out(&discard);
  const SystemReference reference =
      madeUpReference(n, settings.Dimensions <= kMaxCertifiedSize);
  std::vector<unsigned> order(n);
  for (unsigned k = 0; k < n; ++k) order[k] = k;
  const std::vector<double> exact(n, 0.1234567890123456);
  const std::vector<Interval> exactBounds(
      n, Interval(0.1234567890123455, 0.1234567890123457));
  const std::vector<Interval> interval(
      n, Interval(-0.9876543210987654, 1.0987654321098765));
  const std::vector<NormalParameters> moments(n, NormalParameters{0.5, 1.1});

  const Clock::time_point start = Clock::now();
  ResultStore store(static_cast<int>(n), 1);
  store.addReference(reference);
  for (const PivotMode& mode : kPivotModes) {
    SystemResult result;
    result.mode = mode;
    result.columnOrder = order;
    result.plainReplay = exact;
    result.plainReplayBounds = exactBounds;
    result.interval = interval;
    for (const FamilyInfo& family : kFamilies) {
      if (!config.analysedFamilies().test(static_cast<std::size_t>(family.family))) {
        continue;
      }
      PhaseResult phase = makePhaseResult(family.family, madeUpBands(n, bands),
                                          moments, order);
      measurePhase(phase, reference);
      result.phases.push_back(std::move(phase));
    }
    if (config.writesSummaries()) writeSummary(result, out);
    store.add(result);
  }
  if (config.writesSummaries()) {
    for (unsigned v = 0; v < n; ++v) writeCsv(store, static_cast<int>(v), out);
  }
  if (config.writesReport()) {
    const RunInfo run = makeRunInfo(config, 0.0);
    for (const ReportFile& file : reportFiles()) file.write(run, store, out);
    std::ostringstream page;
    const PageForm form = choosePageForm(store);
    writeResultsJson(run, store, page, &form);
    out << renderHtmlReport(page.str());
  }
  return secondsSince(start);
}

}  // namespace

double writerSecondsPerSystem(const RunConfig& config,
                              const std::vector<double>& matrix) {
  const RunSettings& settings = config.settings();
  const unsigned n = std::min(settings.Dimensions, kTimedUnknowns);
  const int bands = std::max(settings.HistogramPrecision, 1);
  const int most = std::max(
      2, static_cast<int>(
             kTimedBands /
             (static_cast<double>(kPivotModes.size() *
                                  config.analysedFamilies().count()) *
              static_cast<double>(n))));
  double seconds = 0.0;
  if (bands <= most) {
    seconds = timeOneSystem(config, n, bands);
  } else {
    // Per band from two sizes, then the run's bands.
    const double few = timeOneSystem(config, n, 1);
    const double many = timeOneSystem(config, n, most);
    const double perBand = std::max(many - few, 0.0) / (most - 1);
    seconds = many + perBand * static_cast<double>(bands - most);
  }
  seconds *= static_cast<double>(settings.Dimensions) / n;

  // The system's matrix: results.json and the page write it once each.
  if (config.writesReport()) {
    const Clock::time_point start = Clock::now();
    std::size_t characters = 0;
    for (const double x : matrix) characters += numberText(x).size();
    const volatile std::size_t written = characters;  // kept: it is timed
    static_cast<void>(written);
    seconds += 2.0 * secondsSince(start);
  }
  return seconds;
}

}  // namespace linprob
