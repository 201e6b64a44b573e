#include "base/number_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

std::string problemOf(const Result<std::vector<double>>& file) {
  return file.status().message();
}

TEST(NumberFileTest, MissingFileIsReported) {
  TempDir dir;
  const auto file = readNumbers(dir.path("absent.txt"), 4);
  EXPECT_FALSE(file.ok());
  EXPECT_EQ(problemOf(file), "missing");
}

TEST(NumberFileTest, ShortFileSaysHowManyWereFound) {
  TempDir dir;
  EXPECT_EQ(problemOf(readNumbers(dir.write("short.txt", "1 2\n3\n"), 4)),
            "only 3 of the 4 numbers needed");
  EXPECT_EQ(problemOf(readNumbers(dir.write("empty.txt", ""), 2)),
            "only 0 of the 2 numbers needed");
}

TEST(NumberFileTest, TokensThatAreNotWholeNumbersAreRefused) {
  TempDir dir;
  EXPECT_EQ(problemOf(readNumbers(dir.write("a.txt", "1 abc 3"), 3)),
            "\"abc\" is not a number");
  // A number followed by text in the same token is not a number either.
  EXPECT_EQ(problemOf(readNumbers(dir.write("b.txt", "1 2.5x"), 2)),
            "\"2.5x\" is not a number");
  EXPECT_EQ(problemOf(readNumbers(dir.write("c.txt", "inf"), 1)),
            "\"inf\" is not a number");
  EXPECT_EQ(problemOf(readNumbers(dir.write("d.txt", "nan"), 1)),
            "\"nan\" is not a number");
}

TEST(NumberFileTest, ValuesBeyondDoubleAreOutOfRange) {
  TempDir dir;
  EXPECT_EQ(problemOf(readNumbers(dir.write("a.txt", "1e999"), 1)),
            "\"1e999\" is out of the range of double");
  EXPECT_EQ(problemOf(readNumbers(dir.write("b.txt", "2 -1e999"), 2)),
            "\"-1e999\" is out of the range of double");
}

TEST(NumberFileTest, LineBreaksAndNotationAreIrrelevant) {
  TempDir dir;
  const std::vector<double> expected{-150.0, 3.0, 0.5, 1e-7};
  for (const char* text : {"-1.5e2 +3 .5 1e-7", "-1.5e2\n+3\n.5\n1e-7\n",
                           "  -1.5e2 \t +3\n\n .5 1E-7"}) {
    const auto file = readNumbers(dir.write("n.txt", text), 4);
    EXPECT_TRUE(file.ok()) << text;
    EXPECT_EQ(file.value(), expected) << text;
  }
}

TEST(NumberFileTest, TextAfterTheNeededNumbersIsIgnored) {
  TempDir dir;
  const auto file =
      readNumbers(dir.write("extra.txt", "1 2 3 4\nnot numbers 1e999\n"), 4);
  EXPECT_TRUE(file.ok());
  EXPECT_EQ(file.value(), (std::vector<double>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace linprob

namespace linprob {
namespace {

TEST(NumberFileTest, ValuesReadAsZeroAreRefusedAndSubnormalsTaken) {
  testing::TempDir dir;
  EXPECT_EQ(readNumbers(dir.write("a.txt", "1e-999"), 1).status().message(),
            "\"1e-999\" is too close to 0 for double (it would be read as 0)");
  EXPECT_EQ(readNumbers(dir.write("c.txt", "2 -2e-324"), 2).status().message(),
            "\"-2e-324\" is too close to 0 for double (it would be read as "
            "0)");
  // Exactly zero in any notation is a number.
  EXPECT_EQ(readNumbers(dir.write("b.txt", "0e-999 -0.0"), 2).value(),
            (std::vector<double>{0.0, 0.0}));
  // Subnormal values are finite doubles: the nearest one is taken.
  const double smallest = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(readNumbers(dir.write("d.txt", "4.9e-324 -1e-310 3e-324"), 3).value(),
            (std::vector<double>{smallest, -1e-310, smallest}));
}

// Plain tokens take a quicker path than stream extraction; every token,
// on either path, must get the value and verdict extraction gives it.
TEST(NumberFileTest, EveryTokenReadsAsStreamExtractionReadsIt) {
  std::mt19937_64 random(20261208);
  auto digits = [&](int most) {
    std::string text;
    const int count = static_cast<int>(random() % (most + 1));
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  const char* signs[] = {"", "+", "-"};
  for (int i = 0; i < 200000; ++i) {
    std::string text = signs[random() % 3];
    text += (random() % 4 == 0) ? std::string(random() % 4, '0') : "";
    text += digits(i % 50 == 0 ? 40 : 12);
    if (random() % 2) text += "." + digits(12);
    if (random() % 2) {
      text += (random() % 2) ? "e" : "E";
      text += signs[random() % 3];
      text += std::to_string(random() % (i % 3 == 0 ? 400 : 30));
    }
    if (random() % 500 == 0) text += "x";
    double parsed = 0.0;
    const std::string problem = parseNumber(Token{text, false}, parsed);

    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double extracted = 0.0;
    in >> extracted;
    const bool whole = !in.fail() && in.peek() == std::char_traits<char>::eof();
    if (problem.empty()) {
      ASSERT_TRUE(whole) << text;
      // Bit for bit, the sign of a zero included.
      ASSERT_EQ(std::memcmp(&parsed, &extracted, sizeof parsed), 0) << text;
    } else {
      ASSERT_TRUE(!whole || extracted == 0.0 || std::isinf(extracted) ||
                  std::fabs(extracted) < 1e-300)
          << text << ": " << problem;
    }
  }
}

// Files of one line per entry: the lines that hold numbers count, each as
// long as the first, and what follows the needed lines is not read.
TEST(NumberFileTest, RowsAreLinesOfTheFirstLinesLength) {
  TempDir dir;
  const auto rows = readRows(
      dir.write("rows.txt", "\n1 2 3\r\n  \n4\t5 6\n7 8 9\nnot read\n"), 3, 2);
  ASSERT_TRUE(rows.ok()) << rows.status().message();
  EXPECT_EQ(rows.value().width, 3u);
  EXPECT_EQ(rows.value().numbers,
            (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  const auto last = readRows(dir.write("end.txt", "1 2\n3 4"), 2, 2);
  ASSERT_TRUE(last.ok());
  EXPECT_EQ(last.value().numbers, (std::vector<double>{1, 2, 3, 4}));

  const auto problem = [&](const char* text, std::size_t count) {
    return readRows(dir.write("bad.txt", text), count, 2).status().message();
  };
  EXPECT_EQ(problem("1 2 3\n\n4 5\n", 2),
            "row 1 (line 3) holds 2 numbers, not 3 as row 0 does");
  EXPECT_EQ(problem("1 2\n3 4 5 6 7\n", 2),
            "row 1 (line 2) holds 5 numbers, not 2 as row 0 does");
  EXPECT_EQ(problem("1 2\n3 4 5\n", 3),
            "row 1 (line 2) holds 3 numbers, not 2 as row 0 does");
  EXPECT_EQ(problem("7\n3 4\n", 2), "row 0 (line 1) holds 1 number, not at least 2");
  EXPECT_EQ(problem("1 2\n\n3 4\n", 3), "only 2 lines of numbers, not the 3 needed");
  EXPECT_EQ(problem("", 1), "only 0 lines of numbers, not the 1 needed");
  EXPECT_EQ(problem("1 x\n", 1), "\"x\" is not a number");
}

}  // namespace
}  // namespace linprob
