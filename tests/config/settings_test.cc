#include "config/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
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
  EXPECT_TRUE(result.unreadOptions.empty());
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
    EXPECT_TRUE(result.unreadOptions.empty()) << text;
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
    EXPECT_TRUE(result.unreadOptions.empty()) << value;
    EXPECT_EQ(result.errors,
              std::vector<std::string>{dir.path("Settings.txt") +
                                       ": ExactDistributions \"" + value +
                                       "\" is not 0 or 1"});
    EXPECT_TRUE(settings.ExactDistributions) << value;
    EXPECT_EQ(settings.SampleCount, 5000) << value;  // read after the fault
  }
  RunSettings one;
  one.ExactDistributions = false;
  EXPECT_TRUE(readText(dir, "a 3 b 4 c 1 d 20 e 5 f 2 g 1 h 5000", one)
                  .errors.empty());
  EXPECT_TRUE(one.ExactDistributions);
}

// Values stay at their places: a label of several words shifts the values,
// and the ones that no longer fit are reported by option.
TEST(SettingsTest, MultiWordLabelIsReportedByTheValuesItShifts) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result = readText(
      dir, "Number of unknowns 3\nb 4 c 1 d 20 e 5 f 2 g 0 h 5000", settings);
  const std::string file = dir.path("Settings.txt");
  EXPECT_EQ(result.errors,
            (std::vector<std::string>{
                file + ": Dimensions \"of\" is not an unsigned whole number",
                file + ": ExactDistributions \"2\" is not 0 or 1"}));
  EXPECT_EQ(settings.Dimensions, 4u);
  EXPECT_EQ(settings.SolverThreadCount, 3);
}

// "4.5", "5,5", "7abc": a number with more after it is a malformed value of
// that option, not a number and the start of the next label. Reading goes
// on by position.
TEST(SettingsTest, MalformedValuesNameTheirOptionAndTheRestIsRead) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result = readText(
      dir, "a 4.5 b 5,5 c 7abc d -1 e +5 f many g 0 h 99999999999", settings);
  const std::string file = dir.path("Settings.txt");
  EXPECT_EQ(result.errors,
            (std::vector<std::string>{
                file + ": Dimensions \"4.5\" is not an unsigned whole number",
                file + ": SolverThreadCount \"5,5\" is not a whole number",
                file + ": GeneratorThreadCount \"7abc\" is not a whole number",
                file + ": MaxMatrix \"many\" is not a whole number"}));
  EXPECT_EQ(settings.Dimensions, 4u);
  EXPECT_EQ(settings.IntegrationPrecision, -1);
  EXPECT_EQ(settings.HistogramPrecision, 5);
  EXPECT_FALSE(settings.ExactDistributions);
  // Beyond int: left at its default, kept as written for the bounds check.
  EXPECT_EQ(settings.SampleCount, 100000);
  ASSERT_TRUE(result.written[7].has_value());
  EXPECT_EQ(result.written[7]->value, 99999999999LL);
  EXPECT_EQ(result.written[7]->text, "99999999999");

  RunSettings negative;
  EXPECT_EQ(readText(dir, "Dimensions -1", negative).errors,
            std::vector<std::string>{
                file + ": Dimensions \"-1\" is not an unsigned whole number"});
}

TEST(SettingsTest, LabelsOfOtherOptionsEarnOneWarning) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result = readText(
      dir,
      "SolverThreadCount 3\nDimensions 4\nGeneratorThreadCount 1\n"
      "IntegrationPrecision 20\nMaxMatrix 5\nHistogramPrecision 2\n"
      "Exact 0\nSamples 5000\n",
      settings);
  EXPECT_EQ(result.labelWarning,
            dir.path("Settings.txt") +
                ": values are read by position; these labels name other "
                "options: SolverThreadCount at the place of Dimensions, "
                "Dimensions at the place of SolverThreadCount, MaxMatrix at "
                "the place of HistogramPrecision, HistogramPrecision at the "
                "place of MaxMatrix");
  EXPECT_TRUE(result.errors.empty());
  expectExample(settings);
}

// A file of values without labels makes labels of every other value: one
// warning names them, and the run goes on with what was read.
TEST(SettingsTest, LabelsThatLookLikeValuesEarnOneWarning) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult bare =
      readText(dir, "2\n1\n1\n3\n5\n1\n1\n100\n", settings);
  EXPECT_EQ(bare.valueLabelWarning,
            dir.path("Settings.txt") +
                ": labels that look like values: \"2\" as the label of "
                "Dimensions, \"1\" as the label of SolverThreadCount, \"5\" "
                "as the label of GeneratorThreadCount, \"1\" as the label of "
                "IntegrationPrecision; every value is read after its label, "
                "so a file of values alone shifts them all");
  EXPECT_TRUE(bare.errors.empty());
  EXPECT_TRUE(bare.labelWarning.empty());
  EXPECT_EQ(settings.Dimensions, 1u);
  EXPECT_EQ(settings.SolverThreadCount, 3);

  // Signed, decimal and exponent forms are numbers too; words that merely
  // hold digits or signs are labels.
  RunSettings other;
  const SettingsReadResult mixed = readText(
      dir, "+3 3 x1 4 -2 1 4abc 20 0.5 5 - 2 1e3 0 . 5000", other);
  EXPECT_EQ(mixed.valueLabelWarning,
            dir.path("Settings.txt") +
                ": labels that look like values: \"+3\" as the label of "
                "Dimensions, \"-2\" as the label of GeneratorThreadCount, "
                "\"0.5\" as the label of HistogramPrecision, \"1e3\" as the "
                "label of ExactDistributions; every value is read after its "
                "label, so a file of values alone shifts them all");
  expectExample(other);
}

TEST(SettingsTest, ByteOrderMarkIsSkippedAndAnUnreadableFileIsAnError) {
  TempDir dir;
  RunSettings settings;
  EXPECT_TRUE(readText(dir, "\xEF\xBB\xBF" "a 3 b 4 c 1 d 20 e 5 f 2 g 0 h 5000",
                       settings)
                  .errors.empty());
  expectExample(settings);

  std::filesystem::create_directory(dir.path("Folder"));
  RunSettings untouched;
  const SettingsReadResult folder =
      readSettings(dir.path("Folder"), untouched);
  EXPECT_TRUE(folder.fileFound);
  EXPECT_EQ(folder.errors, std::vector<std::string>{
                               dir.path("Folder") + ": is not a regular file"});
  expectDefaults(untouched);
}

TEST(SettingsTest, FileEndingEarlyKeepsTheMissingOptions) {
  TempDir dir;
  RunSettings settings;
  // The fourth label is there, its value is not.
  const SettingsReadResult result =
      readText(dir, "a 3\nb 4\nc 1\nd\n", settings);
  EXPECT_EQ(result.unreadOptions,
            (std::vector<std::string>{"IntegrationPrecision",
                                      "HistogramPrecision", "MaxMatrix",
                                      "ExactDistributions", "SampleCount"}));
  EXPECT_EQ(settings.Dimensions, 3u);
  EXPECT_EQ(settings.SolverThreadCount, 4);
  EXPECT_EQ(settings.GeneratorThreadCount, 1);
  EXPECT_EQ(settings.IntegrationPrecision, 50);

  RunSettings empty;
  EXPECT_EQ(readText(dir, "", empty).unreadOptions.size(), 8u);
  expectDefaults(empty);
}

TEST(SettingsTest, ValuesAreNotValidated) {
  TempDir dir;
  RunSettings settings;
  const SettingsReadResult result =
      readText(dir, "a 0 b -1 c 0 d -5 e 0 f 0 g 1 h -7", settings);
  EXPECT_TRUE(result.unreadOptions.empty());
  EXPECT_EQ(settings.Dimensions, 0u);
  EXPECT_EQ(settings.SolverThreadCount, -1);
  EXPECT_EQ(settings.IntegrationPrecision, -5);
  EXPECT_EQ(settings.SampleCount, -7);
}

}  // namespace
}  // namespace linprob
