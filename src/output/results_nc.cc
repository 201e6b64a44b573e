#include "output/results_nc.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/program_version.h"
#include "linear/system_files.h"
#include "output/measure_rows.h"
#include "output/nc_columns.h"
#include "output/nc_tables.h"
#include "output/nc_variables.h"
#include "output/netcdf_dataset.h"
#include "results/condition_verdict.h"

namespace linprob {
namespace {

// About this many values a chunk (512 KiB of doubles).
constexpr std::size_t kChunkValues = 65536;
// The bytes of one byte plane of a chunk of shares per family: below
// deflate's window of 32 KiB, so that a family whose shares repeat
// another's (the same variances up to a factor) costs little.
constexpr std::size_t kSharePlaneBytes = 16384;

template <typename T>
std::vector<T> indices(std::size_t count) {
  std::vector<T> values(count);
  for (std::size_t k = 0; k < count; ++k) values[k] = static_cast<T>(k);
  return values;
}

class ResultsNcWriter final : public NcDefiner {
 public:
  ResultsNcWriter(const RunInfo& run, const ResultStore& store)
      : run_(run), store_(store), shape_(tableShape(store)) {}

  void write(std::ostream& out) {
    defineDimensions();
    defineGlobals();
    defineSystems();
    tables_.define(*this);
    nc_.endDefinitions();
    putCoordinates();
    putSystems();
    tables_.put(nc_);
    nc_.writeTo(out);
  }

  int define(std::string_view name, NetcdfType type,
             std::initializer_list<int> dimensions, std::string_view note,
             std::vector<std::size_t> chunk) override {
    const std::vector<int> ids(dimensions);
    if (chunk.empty() && type != NetcdfType::kString) chunk = chunkOf(ids);
    const int id = nc_.variable(name, type, ids, chunk);
    const VariableText text = variableText(baseName(name));
    std::string longName(text.longName);
    if (!note.empty()) longName += note;
    nc_.attribute(id, "long_name", longName);
    if (!text.units.empty()) nc_.attribute(id, "units", text.units);
    if (type == NetcdfType::kByte) {
      static constexpr signed char kFlags[] = {0, 1};
      nc_.attribute(id, "flag_values", std::span<const signed char>(kFlags));
      nc_.attribute(id, "flag_meanings", "false true");
    }
    return id;
  }
  const NcDimensions& dimensions() const override { return dims_; }

 private:
  int define(std::string_view name, NetcdfType type,
             std::initializer_list<int> dimensions) {
    return define(name, type, dimensions, {}, {});
  }

  // The chunk of a variable over `ids`: the last dimensions whole while
  // they hold at most kChunkValues together, the next one cut to fit.
  std::vector<std::size_t> chunkOf(const std::vector<int>& ids) const {
    std::vector<std::size_t> chunk(ids.size(), 1);
    std::size_t values = 1;
    for (std::size_t d = ids.size(); d-- > 0;) {
      const std::size_t length = lengths_.at(static_cast<std::size_t>(ids[d]));
      const std::size_t room = std::max<std::size_t>(kChunkValues / values, 1);
      chunk[d] = std::min(length, room);
      values *= chunk[d];
      if (chunk[d] < length) break;
    }
    return chunk;
  }

  // The row of nc_variables.cc of a tail or a running estimate's column.
  static std::string_view baseName(std::string_view name) {
    for (std::string_view tail : {"_lower_tail", "_upper_tail"}) {
      if (name.ends_with(tail) && !findVariableText(name)) {
        return name.substr(0, name.size() - tail.size());
      }
    }
    return name;
  }

  int dimension(std::string_view name, std::size_t length) {
    const int id = nc_.dimension(name, length);
    if (lengths_.size() <= static_cast<std::size_t>(id)) {
      lengths_.resize(static_cast<std::size_t>(id) + 1);
    }
    lengths_[static_cast<std::size_t>(id)] = std::max<std::size_t>(length, 1);
    return id;
  }

  void defineDimensions() {
    dims_.system = dimension("system", shape_.systems);
    dims_.mode = dimension("mode", kPivotModes.size());
    dims_.family = dimension("family", kFamilies.size());
    dims_.unknown = dimension("unknown", shape_.unknowns);
    dims_.entry = dimension("entry", shape_.unknowns);
    dims_.band = dimension("band", shape_.bands);
    dims_.border = dimension("border", shape_.bands + 1);
    dims_.batch = dimension("batch", shape_.batches);
    dims_.round = dimension("round", shape_.rounds);
    const auto coordinate = [&](std::string_view name, NetcdfType type, int id) {
      const int dims[] = {id};
      const int variable = nc_.variable(name, type, dims, {}, NetcdfFill::kNone);
      const VariableText text = variableText(name);
      nc_.attribute(variable, "long_name", text.longName);
      if (!text.units.empty()) nc_.attribute(variable, "units", text.units);
      return variable;
    };
    coordinates_ = {coordinate("system", NetcdfType::kInt64, dims_.system),
                    coordinate("mode", NetcdfType::kString, dims_.mode),
                    coordinate("family", NetcdfType::kString, dims_.family),
                    coordinate("unknown", NetcdfType::kInt64, dims_.unknown),
                    coordinate("entry", NetcdfType::kInt64, dims_.entry),
                    coordinate("band", NetcdfType::kInt64, dims_.band),
                    coordinate("border", NetcdfType::kInt64, dims_.border),
                    coordinate("batch", NetcdfType::kInt64, dims_.batch),
                    coordinate("round", NetcdfType::kInt64, dims_.round)};
  }

  void defineGlobals() {
    const int g = NetcdfDataset::kGlobal;
    nc_.attribute(g, "title", "linprob results");
    nc_.attribute(g, "program_name", kProgramName);
    nc_.attribute(g, "program_version", programVersion());
    const std::string commit = programCommit();
    if (!commit.empty()) nc_.attribute(g, "program_commit", commit);
    nc_.attribute(g, "run_kind", run_.kind);
    if (!run_.points.empty()) nc_.attribute(g, "run_points", run_.points);
    nc_.attribute(g, "jobs_per_phase",
                  static_cast<std::int64_t>(run_.jobsPerPhase));
    // No wall time: the file is the same for the same inputs and seed, at
    // any thread or process count (results.json has the time).
    nc_.attribute(g, "export_folder", run_.exportFolder);
    // A seed may exceed the largest signed 64-bit integer: kept as text.
    if (run_.seed) nc_.attribute(g, "seed", std::to_string(*run_.seed));
    for (const SettingValue& setting : run_.settings) {
      // How many threads solved is how the run went, not what it found.
      if (setting.name == "SolverThreadCount") continue;
      std::visit(
          [&](auto value) {
            nc_.attribute(g, "setting_" + setting.name,
                          static_cast<std::int64_t>(value));
          },
          setting.value);
    }
  }

  bool anyInverse() const {
    for (int s = 0; s < store_.systemCount(); ++s) {
      const SystemReference* reference = store_.reference(s);
      if (reference != nullptr && reference->inverse) return true;
    }
    return false;
  }
  bool anyCellShares() const {
    for (int s = 0; s < store_.systemCount(); ++s) {
      const SystemReference* reference = store_.reference(s);
      if (reference == nullptr) continue;
      for (const FamilyInfo& info : kFamilies) {
        const FamilyReference* family = reference->family(info.family);
        if (family != nullptr && family->cellShares) return true;
      }
    }
    return false;
  }

  void defineSystems() {
    const int s = dims_.system;
    const int u = dims_.unknown;
    const int e = dims_.entry;
    system_.folder = define("folder", NetcdfType::kString, {s});
    system_.rhs = define("rhs", NetcdfType::kDouble, {s, e});
    system_.rhsLower = define("interval_rhs_lower", NetcdfType::kDouble, {s, e});
    system_.rhsUpper = define("interval_rhs_upper", NetcdfType::kDouble, {s, e});
    system_.trueSolution = define("true_solution", NetcdfType::kDouble, {s, u});
    system_.hullLower = define("exact_hull_lower", NetcdfType::kDouble, {s, u});
    system_.hullUpper = define("exact_hull_upper", NetcdfType::kDouble, {s, u});
    system_.condition = define("condition_number", NetcdfType::kDouble, {s});
    system_.conditionLower =
        define("condition_number_enclosure_lower", NetcdfType::kDouble, {s});
    system_.conditionUpper =
        define("condition_number_enclosure_upper", NetcdfType::kDouble, {s});
    system_.level = define("condition_level", NetcdfType::kString, {s});
    system_.words = define("condition_text", NetcdfType::kString, {s});
    for (std::size_t r = 0; r < kReasons.size(); ++r) {
      system_.reasons[r] = define(kReasons[r], NetcdfType::kString, {s});
    }
    const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
    if (anyInverse()) {
      rowsPerChunk_ = std::clamp<std::size_t>(kChunkValues / n, 1, n);
      system_.inverseLower = define("inverse_lower", NetcdfType::kDouble,
                                    {s, u, e}, {}, {1, rowsPerChunk_, n});
      system_.inverseUpper = define("inverse_upper", NetcdfType::kDouble,
                                    {s, u, e}, {}, {1, rowsPerChunk_, n});
    }
    shareRows_ = std::clamp<std::size_t>(kSharePlaneBytes / n, 1, n);
    const int f = dims_.family;
    system_.share = define("share", NetcdfType::kDouble, {s, f, u, e}, {},
                           {1, kFamilies.size(), shareRows_, n});
    if (anyCellShares()) {
      system_.cellShare = define("cells_share", NetcdfType::kDouble,
                                 {s, f, u, e}, {},
                                 {1, kFamilies.size(), shareRows_, n});
    }
  }

  void putCoordinates() {
    nc_.put(coordinates_[0], indices<std::int64_t>(shape_.systems));
    std::vector<std::string> modes;
    for (const PivotMode& mode : kPivotModes) modes.emplace_back(mode.label);
    nc_.put(coordinates_[1], modes);
    std::vector<std::string> families;
    for (const FamilyInfo& family : kFamilies) families.emplace_back(family.name);
    nc_.put(coordinates_[2], families);
    nc_.put(coordinates_[3], indices<std::int64_t>(std::max<std::size_t>(shape_.unknowns, 1)));
    nc_.put(coordinates_[4], indices<std::int64_t>(std::max<std::size_t>(shape_.unknowns, 1)));
    std::vector<std::int64_t> bands = indices<std::int64_t>(std::max<std::size_t>(shape_.bands, 1));
    for (std::int64_t& band : bands) ++band;
    nc_.put(coordinates_[5], bands);
    nc_.put(coordinates_[6], indices<std::int64_t>(shape_.bands + 1));
    std::vector<std::int64_t> batches = indices<std::int64_t>(std::max<std::size_t>(shape_.batches, 1));
    for (std::int64_t& batch : batches) ++batch;
    nc_.put(coordinates_[7], batches);
    std::vector<std::int64_t> rounds = indices<std::int64_t>(std::max<std::size_t>(shape_.rounds, 1));
    for (std::int64_t& round : rounds) ++round;
    nc_.put(coordinates_[8], rounds);
  }

  void putSystems();
  void putInverse(int system, const SystemReference& reference);
  void putShares(int system, const SystemReference& reference);

  static constexpr std::array<std::string_view, 5> kReasons = {
      "true_solution_reason", "exact_hull_reason", "condition_number_reason",
      "exact_moments_reason", "inverse_reason"};

  struct SystemVariables {
    int folder = -1, rhs = -1, rhsLower = -1, rhsUpper = -1;
    int trueSolution = -1, hullLower = -1, hullUpper = -1;
    int condition = -1, conditionLower = -1, conditionUpper = -1;
    int level = -1, words = -1;
    std::array<int, kReasons.size()> reasons{};
    int inverseLower = -1, inverseUpper = -1, share = -1, cellShare = -1;
  };

  const RunInfo& run_;
  const ResultStore& store_;
  const TableShape shape_;
  NetcdfDataset nc_;
  NcDimensions dims_;
  std::vector<std::size_t> lengths_;
  std::array<int, 9> coordinates_{};
  SystemVariables system_;
  std::size_t rowsPerChunk_ = 1;
  std::size_t shareRows_ = 1;
  NcTables tables_{store_, shape_};
};

void ResultsNcWriter::putSystems() {
  const std::size_t systems = shape_.systems;
  const std::size_t n = std::max<std::size_t>(shape_.unknowns, 1);
  std::vector<std::string> folders(systems), levels(systems), words(systems);
  std::array<std::vector<std::string>, kReasons.size()> reasons;
  for (auto& reason : reasons) reason.assign(systems, std::string());
  std::vector<double> rhs(systems * n, kNetcdfFillDouble);
  std::vector<double> rhsLower = rhs, rhsUpper = rhs, trueSolution = rhs,
                      hullLower = rhs, hullUpper = rhs;
  std::vector<double> condition(systems, kNetcdfFillDouble);
  std::vector<double> conditionLower = condition, conditionUpper = condition;
  for (std::size_t s = 0; s < systems; ++s) {
    folders[s] = systemFolder(static_cast<int>(s));
    const SystemReference* reference = store_.reference(static_cast<int>(s));
    if (reference == nullptr) continue;
    for (std::size_t j = 0; j < reference->rhs.size() && j < n; ++j) {
      rhs[s * n + j] = reference->rhs[j];
    }
    for (std::size_t j = 0; j < reference->intervalRhs.size() && j < n; ++j) {
      rhsLower[s * n + j] = reference->intervalRhs[j].lower;
      rhsUpper[s * n + j] = reference->intervalRhs[j].upper;
    }
    if (reference->exact) {
      const ExactReference& exact = *reference->exact;
      for (std::size_t i = 0; i < exact.trueSolution.size() && i < n; ++i) {
        if (exact.trueSolution[i]) trueSolution[s * n + i] = *exact.trueSolution[i];
      }
      for (std::size_t i = 0; i < exact.hull.size() && i < n; ++i) {
        if (!exact.hull[i]) continue;
        hullLower[s * n + i] = exact.hull[i]->lower;
        hullUpper[s * n + i] = exact.hull[i]->upper;
      }
      condition[s] = exact.conditionNumber;
      conditionLower[s] = exact.conditionEnclosure.lower;
      conditionUpper[s] = exact.conditionEnclosure.upper;
    }
    if (reference->condition) {
      levels[s] = conditionLevelName(reference->condition->level);
      words[s] = reference->condition->text;
    }
    const ReferenceReasons& given = reference->reasons;
    reasons[0][s] = given.trueSolution;
    reasons[1][s] = given.hull;
    reasons[2][s] = given.conditionNumber;
    reasons[3][s] = given.moments;
    reasons[4][s] = reference->inverseReason;
  }
  nc_.put(system_.folder, folders);
  nc_.put(system_.rhs, std::span<const double>(rhs));
  nc_.put(system_.rhsLower, std::span<const double>(rhsLower));
  nc_.put(system_.rhsUpper, std::span<const double>(rhsUpper));
  nc_.put(system_.trueSolution, std::span<const double>(trueSolution));
  nc_.put(system_.hullLower, std::span<const double>(hullLower));
  nc_.put(system_.hullUpper, std::span<const double>(hullUpper));
  nc_.put(system_.condition, std::span<const double>(condition));
  nc_.put(system_.conditionLower, std::span<const double>(conditionLower));
  nc_.put(system_.conditionUpper, std::span<const double>(conditionUpper));
  nc_.put(system_.level, levels);
  nc_.put(system_.words, words);
  for (std::size_t r = 0; r < kReasons.size(); ++r) {
    nc_.put(system_.reasons[r], reasons[r]);
  }
  for (std::size_t s = 0; s < systems; ++s) {
    const SystemReference* reference = store_.reference(static_cast<int>(s));
    if (reference == nullptr || reference->n != shape_.unknowns) continue;
    if (reference->inverse && system_.inverseLower >= 0) {
      putInverse(static_cast<int>(s), *reference);
    }
    putShares(static_cast<int>(s), *reference);
  }
}

// Row by row of A^-1, a chunk's rows at a time.
void ResultsNcWriter::putInverse(int system, const SystemReference& reference) {
  const std::size_t n = shape_.unknowns;
  std::vector<double> lower, upper;
  for (std::size_t first = 0; first < n; first += rowsPerChunk_) {
    const std::size_t rows = std::min(rowsPerChunk_, n - first);
    lower.clear();
    upper.clear();
    for (std::size_t i = first; i < first + rows; ++i) {
      for (const ValueBounds& bounds :
           reference.inverse->rowBounds(static_cast<unsigned>(i))) {
        lower.push_back(bounds.lower);
        upper.push_back(bounds.upper);
      }
    }
    const std::size_t start[] = {static_cast<std::size_t>(system), first, 0};
    const std::size_t count[] = {1, rows, n};
    nc_.put(system_.inverseLower, start, count, lower);
    nc_.put(system_.inverseUpper, start, count, upper);
  }
}

// The shares of a chunk's unknowns of every family at a time; an unknown
// without certified shares (no spread, or not certified) keeps the fill.
void ResultsNcWriter::putShares(int system, const SystemReference& reference) {
  const std::size_t n = shape_.unknowns;
  const std::size_t families = kFamilies.size();
  std::vector<double> shares, cellShares;
  const auto take = [&](std::vector<double>& block,
                        const std::vector<UnknownShares>* of, std::size_t f,
                        std::size_t first, std::size_t rows) {
    if (of == nullptr) return;
    for (std::size_t i = first; i < first + rows && i < of->size(); ++i) {
      const UnknownShares& row = (*of)[i];
      if (row.state != ShareState::kCertified || row.shares.size() != n) continue;
      std::copy(row.shares.begin(), row.shares.end(),
                block.begin() + static_cast<std::ptrdiff_t>((f * rows + (i - first)) * n));
    }
  };
  for (std::size_t first = 0; first < n; first += shareRows_) {
    const std::size_t rows = std::min(shareRows_, n - first);
    shares.assign(families * rows * n, kNetcdfFillDouble);
    cellShares.assign(families * rows * n, kNetcdfFillDouble);
    bool anyCells = false;
    for (std::size_t f = 0; f < families; ++f) {
      const FamilyReference* family = reference.family(kFamilies[f].family);
      if (family == nullptr) continue;
      take(shares, &family->shares, f, first, rows);
      if (family->cellShares) {
        anyCells = true;
        take(cellShares, &*family->cellShares, f, first, rows);
      }
    }
    const std::size_t start[] = {static_cast<std::size_t>(system), 0, first, 0};
    const std::size_t count[] = {1, families, rows, n};
    nc_.put(system_.share, start, count, shares);
    if (anyCells && system_.cellShare >= 0) {
      nc_.put(system_.cellShare, start, count, cellShares);
    }
  }
}

}  // namespace

double resultsNcBytes(const RunShape& shape) {
  constexpr double kNumberBytes = 8.0;
  constexpr double kStringBytes = 16.0;
  constexpr double kVariableBytes = 4096.0;
  constexpr double kFileBytes = 65536.0;
  const double n = shape.unknowns;
  const double bands = shape.bands;
  const double bandColumns =
      static_cast<double>(kBandColumns.size() - kBandKeyColumns);
  // A table: the columns of unknowns.csv, the band columns over its bands
  // and tails, its borders, its running estimates and its band count.
  // A band's numbers (masses, their bounds and errors, the borders) are
  // smooth or repeat: deflate takes a quarter off at least.
  constexpr double kBandNumberBytes = 6.0;
  const double perTable =
      (static_cast<double>(kUnknownColumns.size() - kUnknownKeyColumns) +
       static_cast<double>(kConvergenceSeries) * shape.batches + 1.0) *
          kNumberBytes +
      (bandColumns * (bands + 2.0) + (bands + 1.0)) * kBandNumberBytes;
  const double modes = shape.systems * static_cast<double>(kPivotModes.size());
  double numbers = modes * n * 2.0 + shape.systems * n * 8.0;
  if (shape.certifies()) {
    // The shares of each family (and of its cells in enumeration) and the
    // inverse's two ends.
    const double arrays = static_cast<double>(kFamilies.size()) *
                              (shape.sampling() ? 1.0 : 2.0) +
                          2.0;
    numbers += shape.systems * n * n * arrays;
  }
  const double strings = shape.tables() * 2.0 + shape.systems * 10.0;
  const double variables = static_cast<double>(kUnknownColumns.size()) +
                           3.0 * bandColumns + 40.0;
  return shape.tables() * perTable + numbers * kNumberBytes +
         strings * kStringBytes + variables * kVariableBytes + kFileBytes;
}

void writeResultsNc(const RunInfo& run, const ResultStore& store,
                    std::ostream& out) {
  ResultsNcWriter writer(run, store);
  writer.write(out);
}

}  // namespace linprob
