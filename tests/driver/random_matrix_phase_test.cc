// Random matrices through the whole program: the start's refusals, and the
// results of sampled phases against laws known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

std::string settings(int unknowns, int exact, int samples) {
  return "Dimensions " + std::to_string(unknowns) +
         "\nS 2\nG 1\nC 3\nBands 10\nSystems 1\nE " + std::to_string(exact) +
         "\nN " + std::to_string(samples) + "\n";
}

// A 2 x 2 system whose uniform entries have no spread but for the matrix.
void writeTwoByTwo(const WorkDir& dir) {
  dir.write("Matrix0/Matice.txt", "2 1\n1 3\n");
  dir.write("Matrix0/RealRHS.txt", "1 2\n");
  dir.write("Matrix0/IntRHS.txt", "1 1\n2 2\n");
  dir.write("Matrix0/NormalRHS.txt", "1 0.01\n2 0.01\n");
  dir.write("Matrix0/UniformRHS.txt", "1 1\n2 2\n");
}

// a x = 1 with a uniform on [1, 2] (b without spread).
void writeOneOverA(const WorkDir& dir) {
  dir.write("Matrix0/Matice.txt", "1.5\n");
  dir.write("Matrix0/RealRHS.txt", "1\n");
  dir.write("Matrix0/IntRHS.txt", "1 1\n");
  dir.write("Matrix0/NormalRHS.txt", "1 0\n");
  dir.write("Matrix0/UniformRHS.txt", "1 1\n");
  dir.write("Matrix0/UniformMatice.txt", "1 2\n");
}

// The family's entry of an unknown under a mode in results.json.
nlohmann::json family(const nlohmann::json& report, int mode,
                      const std::string& name) {
  for (const nlohmann::json& f : report["systems"][0]["modes"][mode]["families"]) {
    if (f["family"] == name) return f;
  }
  return nullptr;
}

TEST(RandomMatrixPhaseTest, TheStartRefusesWhatItCannotAnalyse) {
  WorkDir dir;
  dir.write("Settings.txt", settings(2, 1, 100));
  writeTwoByTwo(dir);
  dir.write("Matrix0/NormalMatice.txt", "2 1 1 1\n1 -2 3 1\n");
  ProgramRun run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Matrix0/NormalMatice.txt: row 1, column 0 has a "
                         "negative variance (-2)\n"),
            std::string::npos)
      << run.err;
  dir.write("Matrix0/NormalMatice.txt", "2 1 1 1\n1 1 3 1\n");
  dir.write("Settings.txt", "Dimensions 2\nS 1\nG 1\nC 2000\nBands 10\n"
                            "Systems 1\nE 1\nN 100\n");
  run = testing::runProgramIn(dir);
  EXPECT_EQ(run.err,
            "Matrix0/NormalMatice.txt: enumerating its entries' and the "
            "right-hand side's 2000 cells each would take 2000^6 (about "
            "6.4e+19) combinations, too many to count in 64 bits: sample it "
            "(ExactDistributions 0, or --points random, sobol or lhs)\n");
  dir.write("Matrix0/NormalMatice.txt", "1 1 1 1\n1 1 1 1\n");
  dir.write("Settings.txt", settings(2, 1, 100));
  run = testing::runProgramIn(dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("Matrix0/NormalMatice.txt: its mean matrix is "
                          "singular or its condition number above 1e15 under "
                          "pivoting mode 0 (none)", 0),
            0u)
      << run.err;
  EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  dir.write("Matrix0/NormalMatice.txt", "2 1 1 1\n1 1 3 1\n");
  dir.write("Matrix0/Correlation.txt", "1 0.5\n0.5 1\n");
  dir.write("Settings.txt", settings(2, 0, 100));
  run = testing::runProgramIn(dir);
  EXPECT_EQ(run.err,
            "Matrix0/NormalMatice.txt: a random matrix with correlated "
            "entries of the right-hand side (Correlation.txt) is not "
            "analysed: their correlation is of the right-hand side alone\n");
}

// Enumerated, 1 / a over a's 400 cells of equal probability; every job
// solved under the same pivots.
TEST(RandomMatrixPhaseTest, OneOverAUniformEnumerated) {
  WorkDir dir;
  dir.write("Settings.txt", "Dimensions 1\nS 2\nG 1\nC 400\nBands 10\n"
                            "Systems 1\nE 1\nN 100\n");
  writeOneOverA(dir);
  const ProgramRun run = testing::runProgramIn(dir);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("With its random matrix, each entry of the matrix "
                         "and the right-hand side is represented by 400 "
                         "cells: 160000 jobs."),
            std::string::npos);
  const nlohmann::json report =
      nlohmann::json::parse(dir.read("Report/results.json"));
  const nlohmann::json uniform = family(report, 1, "Uniform");
  EXPECT_EQ(uniform["jobs"], 160000);
  EXPECT_EQ(uniform["random_matrix"]["pivot_change_share"], 0.0);
  // The uniform family's cells start at their lower edges: the mean is the
  // left Riemann sum of 1 / a, ln 2 + 1 / 1600 to within 1e-6.
  double left = 0.0;
  for (int m = 0; m < 400; ++m) left += 1.0 / (1.0 + m / 400.0) / 400.0;
  EXPECT_NEAR(uniform["unknowns"][0]["moments"]["mean"].get<double>(), left,
              1e-12);
  EXPECT_NEAR(left, std::log(2.0) + 1.0 / 1600.0, 1e-6);
}

// x = 1 / a with a uniform on [1, 2]: P(x <= t) = 2 - 1 / t on [1/2, 1].
// Every band's mass is within its 95 % interval, widened to 99.9 %, of the
// exact one; the first-order approximation has x0 = 2/3 and sd
// sqrt(1/12) / 1.5^2.
TEST(RandomMatrixPhaseTest, OneOverAUniformHasItsExactLaw) {
  WorkDir dir;
  dir.write("Settings.txt", settings(1, 0, 40000));
  writeOneOverA(dir);
  const ProgramRun run = testing::runProgramIn(dir, {"--seed", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report =
      nlohmann::json::parse(dir.read("Report/results.json"));
  const nlohmann::json uniform = family(report, 0, "Uniform");
  EXPECT_EQ(uniform["random_matrix"]["file"], "UniformMatice.txt");
  EXPECT_EQ(uniform["random_matrix"]["near_singular"], 0);
  // To second order, E[1/a] = 1/a0 + var(a) / a0^3.
  EXPECT_NEAR(uniform["random_matrix"]["second_order_mean"][0].get<double>(),
              1.0 / 1.5 + (1.0 / 12.0) / (1.5 * 1.5 * 1.5), 1e-15);
  const nlohmann::json& x = uniform["unknowns"][0];
  const auto law = [](double t) {
    return t <= 0.5 ? 0.0 : t >= 1.0 ? 1.0 : 2.0 - 1.0 / t;
  };
  const nlohmann::json& borders = x["borders"];
  const double k = x["standard_error"]["coverage_factor"];
  for (std::size_t b = 0; b < x["valid"].size(); ++b) {
    const double exact =
        law(borders[b + 1].get<double>()) - law(borders[b].get<double>());
    const double error = x["standard_error"]["valid"][b];
    EXPECT_LE(std::fabs(x["valid"][b].get<double>() - exact),
              1.7 * k * error + 1e-12)
        << "band " << b;
  }
  EXPECT_NEAR(x["moments"]["mean"].get<double>(), std::log(2.0), 0.003);
  EXPECT_DOUBLE_EQ(x["invalid"]["mean"].get<double>(), 1.0 / 1.5);
  EXPECT_NEAR(x["invalid"]["sd"].get<double>(), std::sqrt(1.0 / 12.0) / 2.25,
              1e-15);
  EXPECT_EQ(x["truth"], nullptr);
  EXPECT_NE(x["truth_reason"].get<std::string>().find("the matrix is random"),
            std::string::npos);
  // The export's header of the family says so, and the summary under the
  // VALID header.
  EXPECT_NE(dir.read("ExportApprox/Results_X0.csv")
                .find("Uniform;Borders;VALID;INVALID;random matrix "
                      "UniformMatice.txt, INVALID to first order\n"),
            std::string::npos);
  EXPECT_NE(dir.read("Matrix0/RESULTS_FF.txt")
                .find("Results for the Uniform distribution:\nRandom matrix "
                      "(UniformMatice.txt): each job eliminated on its own; "
                      "near-singular, not solved: 0 of 40000 (share 0); pivot "
                      "order other than the mean matrix's: 0 (share 0).\n"),
            std::string::npos);
}

// A tiny variance of A: VALID is the first-order approximation's normal.
// Row pivoting changes the pivot where |a21| > |a11|: with a11 on [1, 3]
// and a21 on [0.5, 1.5], P = 1/16.
TEST(RandomMatrixPhaseTest, FirstOrderHoldsForTinySpreadAndPivotsChange) {
  WorkDir dir;
  dir.write("Settings.txt", settings(2, 0, 20000));
  writeTwoByTwo(dir);
  dir.write("Matrix0/NormalMatice.txt", "2 1e-8 1 1e-8\n1 1e-8 3 1e-8\n");
  dir.write("Matrix0/UniformMatice.txt", "1 3 0.5 1.5\n0.5 1.5 2 4\n");
  const ProgramRun check = testing::runProgramIn(dir, {"--check"});
  EXPECT_NE(check.out.find("Random matrix: 1 of 1 systems (NormalMatice.txt "
                           "or UniformMatice.txt): each sample drawn with its "
                           "matrix and eliminated on its own"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("Report/random_matrix.csv:"), std::string::npos);
  const ProgramRun run = testing::runProgramIn(dir, {"--seed", "5"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report =
      nlohmann::json::parse(dir.read("Report/results.json"));
  for (int mode = 0; mode < 4; ++mode) {
    const nlohmann::json normal = family(report, mode, "Normal");
    for (const nlohmann::json& x : normal["unknowns"]) {
      const double sd = x["invalid"]["sd"];
      EXPECT_NEAR(x["moments"]["mean"].get<double>(),
                  x["invalid"]["mean"].get<double>(), 0.03 * sd);
      EXPECT_NEAR(x["moments"]["sd"].get<double>(), sd, 0.03 * sd);
      EXPECT_LT(x["discrepancy"]["invalid"]["total_variation"].get<double>(),
                0.03);
    }
  }
  EXPECT_EQ(family(report, 0, "Uniform")["random_matrix"]["pivot_changes"], 0);
  const double share =
      family(report, 1, "Uniform")["random_matrix"]["pivot_change_share"];
  EXPECT_NEAR(share, 1.0 / 16.0, 4.0 * std::sqrt(1.0 / 16 * 15 / 16 / 20000));
}

// a22 on [1 - 1e-14, 1 + 3e-14] crosses the singular a22 = 1: the samples
// within about 4e-15 of it are refused by the condition limit, about a
// fifth, and said so; the bands hold the rest.
TEST(RandomMatrixPhaseTest, SamplesThatCrossSingularityAreCountedNotSolved) {
  WorkDir dir;
  dir.write("Settings.txt", settings(2, 0, 4000));
  writeTwoByTwo(dir);
  dir.write("Matrix0/Matice.txt", "1 1\n1 2\n");
  dir.write("Matrix0/UniformMatice.txt",
            "1 1 1 1\n1 1 0.99999999999999 1.00000000000003\n");
  const ProgramRun run = testing::runProgramIn(dir, {"--seed", "5"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report =
      nlohmann::json::parse(dir.read("Report/results.json"));
  const nlohmann::json uniform = family(report, 0, "Uniform");
  const double share = uniform["random_matrix"]["near_singular_share"];
  EXPECT_GT(share, 0.1);
  EXPECT_LT(share, 0.3);
  double mass = 0.0;
  for (const nlohmann::json& m : uniform["unknowns"][0]["valid"]) mass += m.get<double>();
  EXPECT_NEAR(mass, 1.0 - share, 1e-6);
  EXPECT_NE(dir.read("Matrix0/RESULTS_FF.txt").find("near-singular, not solved: "),
            std::string::npos);
}

}  // namespace
}  // namespace linprob
