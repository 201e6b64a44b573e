#include "driver/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace linprob {
namespace {

using testing::TempDir;

void expectDefaults(const RunSettings& s) {
  const RunSettings defaults;
  EXPECT_EQ(s.Dimensions, defaults.Dimensions);
  EXPECT_EQ(s.SolverThreadCount, defaults.SolverThreadCount);
  EXPECT_EQ(s.GeneratorThreadCount, defaults.GeneratorThreadCount);
  EXPECT_EQ(s.IntegrationPrecision, defaults.IntegrationPrecision);
  EXPECT_EQ(s.HistogramPrecision, defaults.HistogramPrecision);
  EXPECT_EQ(s.MaxMatrix, defaults.MaxMatrix);
  EXPECT_EQ(s.ExactDistributions, defaults.ExactDistributions);
  EXPECT_EQ(s.SampleCount, defaults.SampleCount);
}

// The values 3, 4, 1, 20, 5, 2, 0, 5000 in file order.
void expectExample(const RunSettings& s) {
  EXPECT_EQ(s.Dimensions, 3u);
  EXPECT_EQ(s.SolverThreadCount, 4);
  EXPECT_EQ(s.GeneratorThreadCount, 1);
  EXPECT_EQ(s.IntegrationPrecision, 20);
  EXPECT_EQ(s.HistogramPrecision, 5);
  EXPECT_EQ(s.MaxMatrix, 2);
  EXPECT_FALSE(s.ExactDistributions);
  EXPECT_EQ(s.SampleCount, 5000);
}

SettingsReadResult readText(const TempDir& dir, const std::string& text,
                            RunSettings& settings) {
  return readSettings(dir.write("Settings.txt", text), settings);
}

TEST(SettingsTest, AbsentFileChangesNothing) {
  TempDir dir;
  RunSettings settings;
  ::testing::internal::CaptureStdout();
  const SettingsReadResult result =
      readSettings(dir.path("Settings.txt"), settings);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(result.fileFound);
  EXPECT_TRUE(result.keptDefaults.empty());
  expectDefaults(settings);
}

TEST(SettingsTest, AnyOneWordLabelsAndAnyLineStructure) {
  TempDir dir;
  const std::vector<std::string> layouts{
      "Dimensions 3\nSolverThreads 4\nGenerators 1\nCells 20\nBands 5\n"
      "Systems 2\nExact 0\nSamples 5000\n",
      "a 3 b 4 c 1 d 20 e 5 f 2 g 0 h 5000",
      "x:\n3\n=\n4\n??\n1\nd\n20\ne\n5\nf\n2\ng\n0\nh\n5000",
      "\tD 3 S\n4 G 1\n\n I 20 H 5 M 2 E\n0 N 5000 and then some text 7 8\n"};
  for (const std::string& text : layouts) {
    RunSettings settings;
    ::testing::internal::CaptureStdout();
    const SettingsReadResult result = readText(dir, text, settings);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(result.fileFound);
    EXPECT_TRUE(result.keptDefaults.empty()) << text;
    expectExample(settings);
  }
}

TEST(SettingsTest, BoolIsReadOnlyAsZeroOrOne) {
  TempDir dir;
  for (const char* value : {"true", "false", "2", "yes"}) {
    RunSettings settings;
    const SettingsReadResult result = readText(
        dir, std::string("a 3 b 4 c 1 d 20 e 5 f 2 g ") + value + " h 5000",
        settings);
    EXPECT_EQ(result.keptDefaults,
              (std::vector<std::string>{"ExactDistributions", "SampleCount"}))
        << value;
    EXPECT_TRUE(settings.ExactDistributions) << value;
    EXPECT_EQ(settings.SampleCount, 100000) << value;
    EXPECT_EQ(settings.MaxMatrix, 2) << value;  // read before the fault
  }
  RunSettings one;
  one.ExactDistributions = false;
  readText(dir, "a 3 b 4 c 1 d 20 e 5 f 2 g 1 h 5000", one);
  EXPECT_TRUE(one.ExactDistributions);
}

TEST(SettingsTest, MultiWordLabelKeepsEveryDefault) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result = readText(
      dir, "Number of unknowns 3\nb 4 c 1 d 20 e 5 f 2 g 0 h 5000", settings);
  EXPECT_TRUE(result.fileFound);
  EXPECT_EQ(result.keptDefaults,
            (std::vector<std::string>{
                "Dimensions", "SolverThreadCount", "GeneratorThreadCount",
                "IntegrationPrecision", "HistogramPrecision", "MaxMatrix",
                "ExactDistributions", "SampleCount"}));
  expectDefaults(settings);
}

TEST(SettingsTest, MalformedValueKeepsThatOptionAndAllLaterOnes) {
  TempDir dir;
  RunSettings settings;
  // 99999999999 does not fit an int: extraction fails and nothing is assigned
  // (not even the clamped value extraction leaves in its target).
  const SettingsReadResult result =
      readText(dir, "a 3 b 99999999999 c 1 d 20 e 5 f 2 g 0 h 5000", settings);
  EXPECT_EQ(result.keptDefaults.size(), 7u);
  EXPECT_EQ(result.keptDefaults.front(), "SolverThreadCount");
  EXPECT_EQ(settings.Dimensions, 3u);
  EXPECT_EQ(settings.SolverThreadCount, 1);
  EXPECT_EQ(settings.GeneratorThreadCount, 2);

  RunSettings text;
  readText(dir, "a 3 b 4 c 1 d 20 e 5 f many g 0 h 5000", text);
  EXPECT_EQ(text.HistogramPrecision, 5);
  EXPECT_EQ(text.MaxMatrix, 5);
  EXPECT_EQ(text.SampleCount, 100000);
}

TEST(SettingsTest, FileEndingEarlyKeepsTheMissingOptions) {
  TempDir dir;
  RunSettings settings;
  // The fourth label is there, its value is not.
  const SettingsReadResult result =
      readText(dir, "a 3\nb 4\nc 1\nd\n", settings);
  EXPECT_EQ(result.keptDefaults,
            (std::vector<std::string>{"IntegrationPrecision",
                                      "HistogramPrecision", "MaxMatrix",
                                      "ExactDistributions", "SampleCount"}));
  EXPECT_EQ(settings.Dimensions, 3u);
  EXPECT_EQ(settings.SolverThreadCount, 4);
  EXPECT_EQ(settings.GeneratorThreadCount, 1);
  EXPECT_EQ(settings.IntegrationPrecision, 50);

  RunSettings empty;
  EXPECT_EQ(readText(dir, "", empty).keptDefaults.size(), 8u);
  expectDefaults(empty);
}

TEST(SettingsTest, ValuesAreNotValidated) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result =
      readText(dir, "a 0 b -1 c 0 d -5 e 0 f 0 g 1 h -7", settings);
  EXPECT_TRUE(result.keptDefaults.empty());
  EXPECT_EQ(settings.Dimensions, 0u);
  EXPECT_EQ(settings.SolverThreadCount, -1);
  EXPECT_EQ(settings.IntegrationPrecision, -5);
  EXPECT_EQ(settings.SampleCount, -7);
}

}  // namespace
}  // namespace linprob
