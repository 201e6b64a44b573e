// The deterministic pass of a system, end to end, on Hilbert's matrix of
// order 10 (kappa about 3.5e13): the exact value is the plain right-hand
// side solved in doubles, the interval replay of the same right-hand side is
// kept beside it as its bounds, the forward error measures the point, and
// the console and the report give the one condition verdict in the same
// words; and the console lines state the samples its phases use.
#include "driver/system_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "output/number_text.h"
#include "support/console_lines.h"
#include "support/csv_cells.h"
#include "support/program_run.h"

namespace linprob {
namespace {

using Json = nlohmann::json;
using testing::ProgramRun;
using testing::WorkDir;

constexpr int kOrder = 10;

std::string roundTrip(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", x);
  return text;
}

// H(i, j) = 1 / (i + j + 1) and b = H * ones, both in doubles: the true
// solution is near ones, not exactly ones.
void writeHilbertSystem(const WorkDir& dir) {
  std::string matrix;
  std::string real;
  std::string box;
  std::string normal;
  for (int i = 0; i < kOrder; ++i) {
    double sum = 0.0;
    for (int j = 0; j < kOrder; ++j) {
      const double h = 1.0 / (i + j + 1);
      matrix += roundTrip(h) + (j + 1 < kOrder ? " " : "\n");
      sum += h;
    }
    real += roundTrip(sum) + " ";
    box += roundTrip(sum - 1e-6) + " " + roundTrip(sum + 1e-6) + "\n";
    normal += roundTrip(sum) + " 1e-12\n";
  }
  dir.write("Matrix0/Matice.txt", matrix);
  dir.write("Matrix0/RealRHS.txt", real);
  dir.write("Matrix0/IntRHS.txt", box);
  dir.write("Matrix0/NormalRHS.txt", normal);
  dir.write("Matrix0/UniformRHS.txt", box);
  dir.write("Settings.txt",
            "Dimensions 10\nSolverThreadCount 2\nGeneratorThreadCount 1\n"
            "IntegrationPrecision 2\nHistogramPrecision 5\nMaxMatrix 1\n"
            "ExactDistributions 1\nSampleCount 100\n");
}

using testing_support::csvCells;
using testing_support::splitLines;

// A run on Hilbert's system, its results document and its console.
struct HilbertRun {
  WorkDir dir;
  ProgramRun run;
  Json system;
};

void runHilbert(HilbertRun& hilbert) {
  writeHilbertSystem(hilbert.dir);
  hilbert.run = testing::runProgramIn(hilbert.dir);
  ASSERT_EQ(hilbert.run.status, 0) << hilbert.run.err;
  hilbert.system =
      Json::parse(hilbert.dir.read("Report/results.json"))["systems"][0];
}

TEST(SystemRunTest, HilbertExactValuesArePoints) {
  HilbertRun hilbert;
  runHilbert(hilbert);
  ASSERT_FALSE(HasFatalFailure());
  const WorkDir& dir = hilbert.dir;
  const Json& system = hilbert.system;

  const Json& truth = system["true_solution"];
  for (const Json& mode : system["modes"]) {
    for (int v = 0; v < kOrder; ++v) {
      const Json& unknown = mode["unknowns"][v];
      // The plain solve keeps a few of its digits.
      const double exact = unknown["exact"].get<double>();
      EXPECT_NEAR(exact, 1.0, 1e-2) << mode["mode"] << " x" << v;
      // The forward error is the point's, in places of the true value.
      const double t = truth[v].get<double>();
      int exponent = 0;
      std::frexp(t, &exponent);
      EXPECT_EQ(unknown["forward_error_ulps"].get<double>(),
                std::ldexp(std::fabs(exact - t), 53 - exponent))
          << mode["mode"] << " x" << v;
      // The interval replay of the same right-hand side holds it.
      const Json& bounds = unknown["exact_bounds"];
      ASSERT_TRUE(bounds.is_array()) << mode["mode"] << " x" << v;
      EXPECT_LE(bounds[0].get<double>(), exact) << mode["mode"] << " x" << v;
      EXPECT_LE(exact, bounds[1].get<double>()) << mode["mode"] << " x" << v;
    }
  }
  // Without pivoting the interval replay of x0 reaches below -2000: its
  // lower end is no stand-in for the point.
  EXPECT_LT(system["modes"][0]["unknowns"][0]["exact_bounds"][0].get<double>(),
            -1000.0);

  // unknowns.csv: the bounds in the two last columns.
  const std::vector<std::string> table = splitLines(dir.read("Report/unknowns.csv"));
  ASSERT_EQ(table.size(), 1u + 4 * 3 * kOrder);
  const std::vector<std::string> header = csvCells(table[0]);
  ASSERT_EQ(header.size(), 59u);
  EXPECT_EQ(header[7], "exact");
  EXPECT_EQ(header[57], "exact_bounds_lower");
  EXPECT_EQ(header[58], "exact_bounds_upper");
  const Json& first = system["modes"][0]["unknowns"][0];
  const std::vector<std::string> row = csvCells(table[1]);
  ASSERT_EQ(row.size(), 59u);
  EXPECT_EQ(std::stod(row[7]), first["exact"].get<double>());
  EXPECT_EQ(std::stod(row[57]), first["exact_bounds"][0].get<double>());
  EXPECT_EQ(std::stod(row[58]), first["exact_bounds"][1].get<double>());

  // The export keeps printing the lower end of the interval replay.
  std::ostringstream exportLine;
  exportLine << "Exact;" << SixDigits{first["exact_bounds"][0].get<double>()}
             << ";;;";
  const std::vector<std::string> exported =
      splitLines(dir.read("Export/Results_X0.csv"));
  ASSERT_GT(exported.size(), 1u);
  EXPECT_EQ(exported[1], exportLine.str());
}

TEST(SystemRunTest, HilbertConditionVerdictIsToldAlike) {
  HilbertRun hilbert;
  runHilbert(hilbert);
  ASSERT_FALSE(HasFatalFailure());
  const Json& system = hilbert.system;

  // One verdict, from the certified kappa, in the same words on the console.
  const Json& verdict = system["condition_verdict"];
  ASSERT_TRUE(verdict.is_object()) << system.dump().substr(0, 400);
  EXPECT_EQ(verdict["source"], "certified");
  EXPECT_EQ(verdict["condition_number"], system["condition_number"]);
  EXPECT_EQ(verdict["level"], "ill conditioned");
  const double kappa = system["condition_number"].get<double>();
  EXPECT_GT(kappa, 3e13);
  EXPECT_LT(kappa, 4e13);
  EXPECT_EQ(verdict["correct_digits"], 2);
  EXPECT_EQ(verdict["text"],
            "results may have fewer than 2 correct significant digits");
  std::ostringstream kappaText;
  kappaText.precision(3);
  kappaText << kappa;
  EXPECT_EQ(hilbert.run.err, "Matrix0/Matice.txt: condition number " +
                                 kappaText.str() + " is above 1e9: " +
                                 verdict["text"].get<std::string>() + "\n");
  // The page carries the same verdict.
  EXPECT_NE(hilbert.dir.read("Report/index.html")
                .find("\"text\":\"" + verdict["text"].get<std::string>()),
            std::string::npos);
}

std::string bannerOf(const std::string& out) {
  const std::string head = "Each RHS distribution will be represented by ";
  const std::size_t at = out.find(head);
  if (at == std::string::npos) return "";
  return out.substr(at, out.find('\n', at) - at);
}

TEST(SystemRunTest, TheBannerStatesTheSamplesUsed) {
  testing::WorkDir dir;
  testing::writeDiagonalSystem(dir);
  dir.write("Settings.txt", "Dimensions 2 S 1 G 1 I 3 H 4 M 1 E 0 N 1000");
  EXPECT_EQ(bannerOf(testing::runProgramIn(dir, {"-q", "--no-report", "--seed", "1"}).out),
            "Each RHS distribution will be represented by 1000 samples.");
  // Sobol' sets are a power of two each: 16 x 64.
  EXPECT_EQ(bannerOf(testing::runProgramIn(
                         dir, {"-q", "--no-report", "--seed", "1", "--points",
                               "sobol"})
                         .out),
            "Each RHS distribution will be represented by 1024 samples.");
  // --digits: rounds of 16 batches of 1024, 2048, ... samples, the last one
  // reaching SampleCount 100000 (16 x 6250).
  dir.write("Settings.txt", "Dimensions 2 S 1 G 1 I 3 H 4 M 1 E 0 N 100000");
  EXPECT_EQ(bannerOf(testing::runProgramIn(
                         dir, {"-q", "--no-report", "--seed", "1", "--digits",
                               "1"})
                         .out),
            "Each RHS distribution will be represented by at most 100000 "
            "samples (--digits 1).");
}

}  // namespace
}  // namespace linprob
