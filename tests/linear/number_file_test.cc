#include "linear/number_file.h"

#include <gtest/gtest.h>

#include "linear/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

TEST(NumberFileTest, MissingFileIsReported) {
  TempDir dir;
  const NumberFile file = readNumbers(dir.path("absent.txt"), 4);
  EXPECT_FALSE(file.ok());
  EXPECT_EQ(file.problem, "missing");
  EXPECT_TRUE(file.values.empty());
}

TEST(NumberFileTest, ShortFileSaysHowManyWereFound) {
  TempDir dir;
  const NumberFile file = readNumbers(dir.write("short.txt", "1 2\n3\n"), 4);
  EXPECT_EQ(file.problem, "only 3 of the 4 numbers needed");
  EXPECT_EQ(file.values, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(readNumbers(dir.write("empty.txt", ""), 2).problem,
            "only 0 of the 2 numbers needed");
}

TEST(NumberFileTest, TokensThatAreNotWholeNumbersAreRefused) {
  TempDir dir;
  EXPECT_EQ(readNumbers(dir.write("a.txt", "1 abc 3"), 3).problem,
            "\"abc\" is not a number");
  // A number followed by text in the same token is not a number either.
  EXPECT_EQ(readNumbers(dir.write("b.txt", "1 2.5x"), 2).problem,
            "\"2.5x\" is not a number");
  EXPECT_EQ(readNumbers(dir.write("c.txt", "inf"), 1).problem,
            "\"inf\" is not a number");
  EXPECT_EQ(readNumbers(dir.write("d.txt", "nan"), 1).problem,
            "\"nan\" is not a number");
}

TEST(NumberFileTest, ValuesBeyondDoubleAreOutOfRange) {
  TempDir dir;
  EXPECT_EQ(readNumbers(dir.write("a.txt", "1e999"), 1).problem,
            "\"1e999\" is out of the range of double");
  EXPECT_EQ(readNumbers(dir.write("b.txt", "2 -1e999"), 2).problem,
            "\"-1e999\" is out of the range of double");
}

TEST(NumberFileTest, LineBreaksAndNotationAreIrrelevant) {
  TempDir dir;
  const std::vector<double> expected{-150.0, 3.0, 0.5, 1e-7};
  for (const char* text : {"-1.5e2 +3 .5 1e-7", "-1.5e2\n+3\n.5\n1e-7\n",
                           "  -1.5e2 \t +3\n\n .5 1E-7"}) {
    const NumberFile file = readNumbers(dir.write("n.txt", text), 4);
    EXPECT_TRUE(file.ok()) << text;
    EXPECT_EQ(file.values, expected) << text;
  }
}

TEST(NumberFileTest, TextAfterTheNeededNumbersIsIgnored) {
  TempDir dir;
  const NumberFile file =
      readNumbers(dir.write("extra.txt", "1 2 3 4\nnot numbers 1e999\n"), 4);
  EXPECT_TRUE(file.ok());
  EXPECT_EQ(file.values, (std::vector<double>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace linprob
