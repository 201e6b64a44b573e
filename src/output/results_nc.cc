#include "output/results_nc.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "base/program_version.h"
#include "output/measure_rows.h"
#include "output/nc_columns.h"
#include "output/nc_intervals.h"
#include "output/nc_random_matrix.h"
#include "output/nc_systems.h"
#include "output/nc_tables.h"
#include "output/nc_variables.h"
#include "output/netcdf_dataset.h"

namespace linprob {
namespace {

// About this many values a chunk (512 KiB of doubles).
constexpr std::size_t kChunkValues = 65536;

// The indices of a coordinate of `count` entries (at least one: a
// dimension is never empty), counted from `first`.
std::vector<std::int64_t> numbered(std::size_t count, std::int64_t first) {
  std::vector<std::int64_t> values(std::max<std::size_t>(count, 1));
  for (std::size_t k = 0; k < values.size(); ++k) {
    values[k] = first + static_cast<std::int64_t>(k);
  }
  return values;
}

class ResultsNcWriter final : public NcDefiner {
 public:
  // A flush of `out` looks at the run's stop (base/output_buffer.h): the
  // dataset asks it before each put, so a stop ends the building too.
  ResultsNcWriter(const RunInfo& run, const ResultStore& store,
                  std::ostream& out)
      : run_(run),
        store_(store),
        shape_(tableShape(store)),
        nc_([&out] { return static_cast<bool>(out.flush()); }) {}

  void write(std::ostream& out) {
    defineDimensions();
    defineGlobals();
    systems_.define(*this);
    tables_.define(*this);
    intervals_.define(*this);
    randomMatrix_.define(*this);
    nc_.endDefinitions();
    putCoordinates();
    systems_.put(nc_);
    tables_.put(nc_);
    intervals_.put(nc_);
    randomMatrix_.put(nc_);
    nc_.writeTo(out);
  }

  const NcDimensions& dimensions() const override { return dims_; }

 protected:
  int defineVariable(std::string_view name, NetcdfType type,
                     std::initializer_list<int> dimensions,
                     const VariableText* words, std::string_view note,
                     std::vector<std::size_t> chunk) override {
    const std::vector<int> ids(dimensions);
    if (chunk.empty() && type != NetcdfType::kString) chunk = chunkOf(ids);
    const int id = nc_.variable(name, type, ids, chunk);
    const VariableText text = words ? *words : variableText(baseName(name));
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

 private:
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
    dims_.family = dimension("family", shape_.families.size());
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
    if (intervals_.present()) {
      dims_.enclosure = dimension("enclosure", NcIntervals::enclosureNames().size());
      enclosureCoordinate_ =
          coordinate("enclosure", NetcdfType::kString, dims_.enclosure);
    }
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

  void putCoordinates() {
    nc_.put(coordinates_[0], numbered(shape_.systems, 0));
    std::vector<std::string> modes;
    for (const PivotMode& mode : kPivotModes) modes.emplace_back(mode.label);
    nc_.put(coordinates_[1], modes);
    std::vector<std::string> families;
    for (const Family family : shape_.families) {
      families.emplace_back(familyInfo(family).name);
    }
    nc_.put(coordinates_[2], families);
    nc_.put(coordinates_[3], numbered(shape_.unknowns, 0));
    nc_.put(coordinates_[4], numbered(shape_.unknowns, 0));
    nc_.put(coordinates_[5], numbered(shape_.bands, 1));
    nc_.put(coordinates_[6], numbered(shape_.bands + 1, 0));
    nc_.put(coordinates_[7], numbered(shape_.batches, 1));
    nc_.put(coordinates_[8], numbered(shape_.rounds, 1));
    if (intervals_.present()) {
      nc_.put(enclosureCoordinate_, NcIntervals::enclosureNames());
    }
  }

  const RunInfo& run_;
  const ResultStore& store_;
  const TableShape shape_;
  NetcdfDataset nc_;
  NcDimensions dims_;
  std::vector<std::size_t> lengths_;
  std::array<int, 9> coordinates_{};
  NcSystems systems_{store_, shape_};
  NcTables tables_{store_, shape_};
  NcIntervals intervals_{store_, shape_};
  NcRandomMatrix randomMatrix_{store_, shape_};
  int enclosureCoordinate_ = -1;
};

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
  const double columns =
      static_cast<double>(kUnknownColumns.size() - kUnknownKeyColumns +
                          addedColumnCount(addedMeasures()));
  const double perTable =
      (columns +
       static_cast<double>(kConvergenceSeries) * shape.batches + 1.0) *
          kNumberBytes +
      (bandColumns * (bands + 2.0) + (bands + 1.0)) * kBandNumberBytes;
  const double modes = shape.systems * static_cast<double>(kPivotModes.size());
  double numbers = modes * n * 2.0 + shape.systems * n * 8.0;
  if (shape.certifies()) {
    // The shares of each family (and of its cells in enumeration) and the
    // inverse's two ends.
    const double arrays = shape.familyCount() *
                              (shape.sampling() ? 1.0 : 2.0) +
                          2.0;
    numbers += shape.systems * n * n * arrays;
  }
  const double strings = shape.tables() * 2.0 + shape.systems * 10.0;
  const double variables = columns + 3.0 * bandColumns + 47.0;
  return shape.tables() * perTable + numbers * kNumberBytes +
         strings * kStringBytes + variables * kVariableBytes + kFileBytes;
}

void writeResultsNc(const RunInfo& run, const ResultStore& store,
                    std::ostream& out) {
  ResultsNcWriter writer(run, store, out);
  writer.write(out);
}

}  // namespace linprob
