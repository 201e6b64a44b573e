// Systems whose results could not be trusted are refused before the run, end
// to end: numerically singular matrices, anything that would overflow, and
// spreads that would underflow.
#include "check/numeric_check.h"

#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"

namespace linprob {
namespace {

using testing::ProgramRun;
using testing::WorkDir;

// Two unknowns, three cells, one system; `exact` 0 samples instead.
std::string settings(int exact = 1) {
  return "Dimensions 2 S 1 G 1 I 3 H 2 M 1 E " + std::to_string(exact) +
         " N 50";
}

void writeSystem(const WorkDir& dir, const std::string& matrix,
                 const std::string& real = "1 2",
                 const std::string& normal = "1 1 2 1",
                 const std::string& bounds = "0 1 1 2") {
  dir.write("Matrix0/Matice.txt", matrix);
  dir.write("Matrix0/RealRHS.txt", real);
  dir.write("Matrix0/IntRHS.txt", "0 1 1 2");
  dir.write("Matrix0/NormalRHS.txt", normal);
  dir.write("Matrix0/UniformRHS.txt", bounds);
}

ProgramRun run(const std::string& matrix, int exact = 1,
               const std::string& real = "1 2",
               const std::string& normal = "1 1 2 1",
               const std::string& bounds = "0 1 1 2") {
  WorkDir dir;
  dir.write("Settings.txt", settings(exact));
  writeSystem(dir, matrix, real, normal, bounds);
  ProgramRun result = testing::runProgramIn(dir);
  if (result.status == 1) {
    EXPECT_FALSE(dir.exists("Matrix0/RESULTS_FF.txt"));
  }
  return result;
}

const std::string kSingular =
    " is above 1e15: the matrix is numerically singular, and no digit of "
    "its results could be trusted\n";

TEST(NumericCheckTest, RefusesANumericallySingularMatrix) {
  // Singular in exact arithmetic; rounding noise lets every pivot through.
  const ProgramRun noise = run("0.1 0.3\n0.3 0.9\n");
  EXPECT_EQ(noise.status, 1);
  const std::string head = "Matrix0/Matice.txt: condition number ";
  ASSERT_EQ(noise.err.substr(0, head.size()), head);
  ASSERT_GT(noise.err.size(), kSingular.size());
  EXPECT_EQ(noise.err.substr(noise.err.size() - kSingular.size()), kSingular);
  EXPECT_GT(std::stod(noise.err.substr(head.size())), 1e15);

  // diag(1, 1e-16): kappa = 1 * 1e16 under every mode.
  EXPECT_EQ(run("1 0\n0 1e-16\n").err,
            "Matrix0/Matice.txt: condition number 1e+16" + kSingular);
}

TEST(NumericCheckTest, WarnsOnceAboutAnIllConditionedSystemAndRuns) {
  // kappa 1e12 leaves floor(15.95 - 12) = 3 digits: the certified kappa
  // with a report, the check's estimate without one or under --check.
  const std::string line =
      "Matrix0/Matice.txt: condition number 1e+12 is above 1e9: results may "
      "have fewer than 3 correct significant digits\n";
  const ProgramRun ill = run("1 0\n0 1e-12\n", 1, "1 1e-12");
  EXPECT_EQ(ill.status, 0);
  EXPECT_EQ(ill.err, line);
  for (const char* option : {"--no-report", "--check"}) {
    WorkDir dir;
    dir.write("Settings.txt", settings());
    writeSystem(dir, "1 0\n0 1e-12\n", "1 1e-12");
    const ProgramRun other = testing::runProgramIn(dir, {option});
    EXPECT_EQ(other.status, 0) << option;
    EXPECT_EQ(other.err, line) << option;
  }
  // kappa 1e9 itself is accepted without a word.
  EXPECT_EQ(run("1 0\n0 1e-9\n").err, "");
}

TEST(NumericCheckTest, RefusesOverflowNamingFileFamilyAndUnknown) {
  // x1 = b1, x2 = b2 - 1e308 x1: the plain solution overflows, and so does
  // everything the phases would compute; the interval one, from [0, 1] and
  // [1, 2], stays finite.
  EXPECT_EQ(run("1 0\n1e308 1\n", 1, "1e308 1e308").err,
            "Matrix0/Matice.txt: condition number inf" + kSingular +
                "Matrix0/RealRHS.txt: unknown 1: the solution overflows under "
                "pivoting mode 0 (none)\n"
                // 0 * inf in the back substitution makes unknown 0's
                // variance NaN first.
                "Matrix0/UniformRHS.txt: Triangular family, unknown 0: the "
                "propagated mean or variance overflows under pivoting mode 0 "
                "(none)\n"
                "Matrix0/NormalRHS.txt: Normal family, unknown 1: the range of "
                "the solutions overflows under pivoting mode 0 (none)\n"
                "Matrix0/UniformRHS.txt: Uniform family, unknown 0: the "
                "propagated mean or variance overflows under pivoting mode 0 "
                "(none)\n");

  // x1 = b0 + b1 only overflows for the intervals.
  WorkDir dir;
  dir.write("Settings.txt", settings());
  writeSystem(dir, "1 0\n-1 1\n");
  dir.write("Matrix0/IntRHS.txt", "1e308 1.7e308 1e308 1.7e308");
  EXPECT_EQ(testing::runProgramIn(dir).err,
            "Matrix0/IntRHS.txt: unknown 1: the interval solution overflows "
            "under pivoting mode 0 (none)\n");

  // Row pivoting meets only finite pivots, but leaves entries of the
  // eliminated matrix beyond double (found by a search over such matrices).
  WorkDir three;
  three.write("Settings.txt", "Dimensions 3 S 1 G 1 I 3 H 2 M 1 E 1 N 5");
  three.write("Matrix0/Matice.txt", "1e154 1e154 1e308\n-1 -1 0\n2 1 1e300\n");
  three.write("Matrix0/RealRHS.txt", "1 2 3");
  three.write("Matrix0/IntRHS.txt", "0 1 1 2 2 3");
  three.write("Matrix0/NormalRHS.txt", "1 1 2 1 3 1");
  three.write("Matrix0/UniformRHS.txt", "0 1 1 2 2 3");
  const ProgramRun elimination = testing::runProgramIn(three);
  EXPECT_EQ(elimination.status, 1);
  EXPECT_NE(elimination.err.find("\nMatrix0/Matice.txt: the elimination "
                                 "overflows under pivoting mode 1 (row)\n"),
            std::string::npos)
      << elimination.err;

  // A uniform pair -1e308 ... 1e308 is finite, its width is not.
  const std::string wide = "-1e308 1e308 0 1";
  EXPECT_EQ(run("1 0\n0 1\n", 1, "1 2", "1 1 2 1", wide).err,
            "Matrix0/UniformRHS.txt: Triangular family, pair 0: the cells are "
            "not finite\n"
            "Matrix0/UniformRHS.txt: Uniform family, pair 0: the cells are not "
            "finite\n");
  EXPECT_EQ(run("1 0\n0 1\n", 0, "1 2", "1 1 2 1", wide).err,
            "Matrix0/UniformRHS.txt: Triangular family, pair 0: the variance "
            "is not finite\n"
            "Matrix0/UniformRHS.txt: Uniform family, pair 0: the variance is "
            "not finite\n");

  // Variances of 1e308: the normal density of the cells underflows to NaN,
  // and in sampling x0 = b0 - b1 adds two of them.
  const std::string huge = "0 1e308 0 1e308";
  EXPECT_EQ(run("1 1\n0 1\n", 1, "1 2", huge).err,
            "Matrix0/NormalRHS.txt: Normal family, pair 0: the cells are not "
            "finite\n");
  EXPECT_EQ(run("1 1\n0 1\n", 0, "1 2", huge).err,
            "Matrix0/NormalRHS.txt: Normal family, unknown 0: the propagated "
            "mean or variance overflows under pivoting mode 0 (none)\n");
}

TEST(NumericCheckTest, RefusesAPropagatedVarianceThatUnderflows) {
  // x = b / 1e160: the variances 1 and 1/12 become about 1e-320, subnormal
  // (the standard deviation of the solved values would come out 0).
  const std::string tiny = "1e160 0\n0 1e160\n";
  EXPECT_EQ(run(tiny, 1, "1 1").err,
            "Matrix0/UniformRHS.txt: Triangular family, unknown 0: the "
            "propagated variance underflows under pivoting mode 0 (none)\n"
            "Matrix0/NormalRHS.txt: Normal family, unknown 0: the propagated "
            "variance underflows under pivoting mode 0 (none)\n"
            "Matrix0/UniformRHS.txt: Uniform family, unknown 0: the "
            "propagated variance underflows under pivoting mode 0 (none)\n");
  // Variances of zero stay zero: nothing underflows, the run goes on.
  EXPECT_EQ(run(tiny, 1, "1 1", "1 0 1 0", "1 1 1 1").status, 0);
  // 1e-300 is a normal double: accepted.
  EXPECT_EQ(run("1e150 0\n0 1e150\n", 0, "1 1").status, 0);
}

// x = b / 5e-5 on [-2e154, 2e154]: the propagated variance (1.3e308) is
// finite, but the squared distances the counting pass sums are not (the run
// wrote an sd of 0).
TEST(NumericCheckTest, RefusesARangeWhoseSquareOverflows) {
  const std::string scaled = "5e-5 0\n0 5e-5\n";
  const std::string bounds = "-1e150 1e150 -1e150 1e150";
  EXPECT_EQ(run(scaled, 1, "1 2", "1 1 2 1", bounds).err,
            "Matrix0/UniformRHS.txt: Triangular family, unknown 0: the square "
            "of the range of the solutions overflows under pivoting mode 0 "
            "(none)\n"
            "Matrix0/UniformRHS.txt: Uniform family, unknown 0: the square of "
            "the range of the solutions overflows under pivoting mode 0 "
            "(none)\n");
  // A tenth of that range is accepted.
  EXPECT_EQ(run(scaled, 1, "1 2", "1 1 2 1", "-1e149 1e149 -1e149 1e149")
                .status,
            0);
}

}  // namespace
}  // namespace linprob
