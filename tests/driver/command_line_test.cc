// The command line: values, the last of repeated options, and the one-line
// usage errors (exit status 64) that name the option.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "distributions/point_kinds.h"
#include "support/program_run.h"

namespace linprob {
namespace {

CommandLine parse(const std::vector<std::string>& arguments,
                  bool progressByDefault = false) {
  return parseArguments(arguments, progressByDefault);
}

TEST(CommandLineTest, NoArgumentsIsTheRunOfOldWithTheTerminalsProgress) {
  for (const bool terminal : {false, true}) {
    const CommandLine line = parse({}, terminal);
    ASSERT_TRUE(line.run.has_value());
    const RunOptions& options = *line.run;
    EXPECT_EQ(options.workDir, "");
    EXPECT_FALSE(options.solverThreads.has_value());
    EXPECT_FALSE(options.seed.has_value());
    EXPECT_FALSE(options.quiet);
    EXPECT_EQ(options.showProgress, terminal);
    EXPECT_FALSE(options.checkOnly);
    EXPECT_EQ(options.report, ReportChoice::kWritten);
    EXPECT_EQ(options.memoryBudget, 512u << 20);
    EXPECT_EQ(options.points, PointKind::kRandom);
    EXPECT_EQ(options.counting, CountingChoice::kCheaper);
    EXPECT_EQ(options.halvesMemory, std::uint64_t{1} << 30);
  }
}

TEST(CommandLineTest, TakesEveryOption) {
  const CommandLine line =
      parse({"-j", "0", "--seed", "18446744073709551615", "-q", "--progress",
             "--check", "--no-report", "--memory-budget", "0", "some dir"});
  ASSERT_TRUE(line.run.has_value()) << line.text;
  EXPECT_EQ(line.run->workDir, "some dir");
  EXPECT_EQ(line.run->solverThreads, 0);
  EXPECT_EQ(line.run->seed, 18446744073709551615u);
  EXPECT_TRUE(line.run->quiet);
  EXPECT_TRUE(line.run->showProgress);
  EXPECT_TRUE(line.run->checkOnly);
  EXPECT_EQ(line.run->report, ReportChoice::kSkipped);
  EXPECT_EQ(line.run->memoryBudget, 0u);

  // Long forms with "=", and the last of a repeated option wins.
  const CommandLine repeated = parse(
      {"--threads=1024", "--threads", "7", "--no-progress", "--seed=0",
       "--memory-budget=1048576", "--points", "sobol", "--points=lhs"},
      true);
  ASSERT_TRUE(repeated.run.has_value()) << repeated.text;
  EXPECT_EQ(repeated.run->solverThreads, 7);
  EXPECT_EQ(repeated.run->seed, 0u);
  EXPECT_EQ(repeated.run->points, PointKind::kLatinHypercube);
  EXPECT_EQ(parse({"--points", "sobol"}).run->points, PointKind::kSobol);
  EXPECT_EQ(parse({"--points", "random"}).run->points, PointKind::kRandom);
  // Every kind that samples is an argument of --points, named in --help;
  // enumeration is not.
  for (const PointKindRow& row : kPointKindRows) {
    if (!drawsSamples(row.kind)) continue;
    EXPECT_EQ(parse({"--points", row.name}).run->points, row.kind);
    EXPECT_NE(helpText().find(row.name), std::string::npos) << row.name;
  }
  // Every family and every parameter file a folder holds is named there
  // too.
  for (const FamilyInfo& family : kFamilies) {
    std::string name = family.name;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_NE(helpText().find(name), std::string::npos) << name;
  }
  for (const ParameterKindInfo& kind : kParameterKinds) {
    EXPECT_NE(helpText().find(kind.file), std::string::npos) << kind.file;
  }
  EXPECT_FALSE(parse({"--points", "enumeration"}).run.has_value());
  EXPECT_EQ(parse({"--digits", "4"}).run->digits, 4);
  EXPECT_FALSE(parse({}).run->digits.has_value());
  EXPECT_FALSE(repeated.run->showProgress);
  EXPECT_EQ(repeated.run->memoryBudget, std::uint64_t{1} << 40);
  EXPECT_TRUE(parse({"--no-progress", "--progress"}).run->showProgress);

  EXPECT_EQ(parse({"--counting", "replay"}).run->counting,
            CountingChoice::kReplay);
  EXPECT_EQ(parse({"--counting=halves"}).run->counting,
            CountingChoice::kHalves);
  EXPECT_EQ(parse({"--counting=halves", "--counting", "auto"}).run->counting,
            CountingChoice::kCheaper);
  EXPECT_EQ(parse({"--halves-memory", "0"}).run->halvesMemory, 0u);
  EXPECT_EQ(parse({"--halves-memory=1048576"}).run->halvesMemory,
            std::uint64_t{1} << 40);
}

TEST(CommandLineTest, RefusesBadUsageInOneLineNamingTheOption) {
  const std::string threads =
      "linprob: --threads takes a whole number from 0 to 1024, not ";
  const std::string seed =
      "linprob: --seed takes a whole number from 0 to 18446744073709551615, "
      "not ";
  const std::string budget =
      "linprob: --memory-budget takes a whole number of MiB from 0 to "
      "1048576, not ";
  const std::string halves =
      "linprob: --halves-memory takes a whole number of MiB from 0 to "
      "1048576, not ";
  const std::string help = "; see linprob --help\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--bogus"}, "linprob: unknown option \"--bogus\"" + help},
      {{"-x", "dir"}, "linprob: unknown option \"-x\"" + help},
      {{"one", "two"},
       "linprob: unexpected argument \"two\" (one WORKDIR at most)" + help},
      // Arguments are quoted with what a terminal would act on escaped.
      {{"--bo\x1b[31mgus"}, "linprob: unknown option \"--bo\\x1b[31mgus\"" + help},
      {{"one", "two\nlines"},
       "linprob: unexpected argument \"two\\x0alines\" (one WORKDIR at most)" +
           help},
      {{"-j", "\r7"}, threads + "\"\\x0d7\"" + help},
      {{"--quiet=y\x07"},
       "linprob: Could not convert: --quiet = y\\x07" + help},
      {{""}, "linprob: WORKDIR \"\" is empty (to work in the current folder, "
             "give none, or \".\")" + help},
      {{"--", "one", "two"},
       "linprob: unexpected argument \"two\" (one WORKDIR at most)" + help},
      {{"-j", "abc"}, threads + "\"abc\"" + help},
      {{"-j", "1025"}, threads + "\"1025\"" + help},
      {{"--threads", "-1"}, threads + "\"-1\"" + help},
      {{"-j", " 2"}, threads + "\" 2\"" + help},
      {{"--seed", "-1"}, seed + "\"-1\"" + help},
      {{"--seed", "18446744073709551616"},
       seed + "\"18446744073709551616\"" + help},
      {{"--seed", "1.5"}, seed + "\"1.5\"" + help},
      {{"--seed", ""}, seed + "\"\"" + help},
      {{"--memory-budget", "1048577"}, budget + "\"1048577\"" + help},
      {{"--memory-budget", "-1"}, budget + "\"-1\"" + help},
      {{"--memory-budget", "0.5"}, budget + "\"0.5\"" + help},
      {{"--digits", "0"},
       "linprob: --digits takes a whole number from 1 to 4, not \"0\"" + help},
      {{"--digits", "5"},
       "linprob: --digits takes a whole number from 1 to 4, not \"5\"" + help},
      {{"--points", "Sobol"},
       "linprob: --points takes random, sobol or lhs, not \"Sobol\"" + help},
      {{"--counting", "Halves"},
       "linprob: --counting takes auto, replay or halves, not \"Halves\"" +
           help},
      {{"--halves-memory", "1048577"}, halves + "\"1048577\"" + help},
      {{"--halves-memory", "-1"}, halves + "\"-1\"" + help},
      {{"--counting"}, "linprob: --counting needs a value" + help},
      {{"-j"}, "linprob: --threads needs a value" + help},
      {{"dir", "--seed"}, "linprob: --seed needs a value" + help},
  };
  for (const auto& [arguments, message] : cases) {
    const CommandLine line = parse(arguments);
    EXPECT_FALSE(line.run.has_value()) << message;
    EXPECT_EQ(line.exitStatus, 64) << message;
    EXPECT_EQ(line.text, message);
  }
}

// "--" ends the options: what follows is WORKDIR, even "-q" or "--".
TEST(CommandLineTest, TwoDashesEndTheOptions) {
  for (const auto& [arguments, workDir] :
       std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--", "dir"}, "dir"},
           {{"-q", "--", "-q"}, "-q"},
           {{"--", "--"}, "--"},
           {{"--"}, ""}}) {
    const CommandLine line = parse(arguments);
    ASSERT_TRUE(line.run.has_value()) << line.text;
    EXPECT_EQ(line.run->workDir, workDir);
  }
  EXPECT_TRUE(parse({"-q", "--", "-q"}).run->quiet);
}

TEST(CommandLineTest, HelpAndVersionExitWithStatusZero) {
  const CommandLine help = parse({"dir", "--help"});
  EXPECT_FALSE(help.run.has_value());
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.text, helpText());
  EXPECT_EQ(help.text.rfind("Usage: linprob [OPTIONS] [WORKDIR]\n", 0), 0u);
  for (const char* option :
       {"-h, --help", "--version", "-j, --threads N", "--seed N",
        "-q, --quiet", "--progress, --no-progress", "--check", "--no-report",
        "WORKDIR", "Working folder:", "Exit status:", "\n  64     usage",
        "\n  128+N  interrupted by signal N"}) {
    EXPECT_NE(help.text.find(option), std::string::npos) << option;
  }

  const CommandLine version = parse({"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.text, versionText() + "\n");
  EXPECT_EQ(version.text.rfind("linprob 1.0.0", 0), 0u);
}

TEST(CommandLineRunTest, BadUsageWritesNothingAndExits64) {
  testing::WorkDir dir;
  dir.write("Settings.txt", "D 1\nS 1\nG 1\nC 2\nH 2\nM 1\nE 1\nN 10\n");
  dir.write("Matrix0/Matice.txt", "2\n");
  dir.write("Matrix0/RealRHS.txt", "2\n");
  dir.write("Matrix0/IntRHS.txt", "1 3\n");
  dir.write("Matrix0/NormalRHS.txt", "2 1\n");
  dir.write("Matrix0/UniformRHS.txt", "1 3\n");
  const auto before = testing::filesUnder(dir.path());
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--threads", "many"},
        std::vector<std::string>{"--frobnicate"},
        std::vector<std::string>{"no-such-folder"}}) {
    const testing::ProgramRun run = testing::runProgramIn(dir, arguments);
    EXPECT_EQ(run.status, 64) << arguments[0];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(testing::filesUnder(dir.path()), before);
  }
  EXPECT_EQ(testing::runProgramIn(dir, {"no-such-folder"}).err,
            "linprob: cannot work in \"no-such-folder\": No such file or "
            "directory\n");
  EXPECT_EQ(testing::runProgramIn(dir, {"no\x1b]0;such\n"}).err,
            "linprob: cannot work in \"no\\x1b]0;such\\x0a\": No such file or "
            "directory\n");
  const testing::ProgramRun empty = testing::runProgramIn(dir, {""});
  EXPECT_EQ(empty.status, 64);
  EXPECT_EQ(testing::filesUnder(dir.path()), before);
}

}  // namespace
}  // namespace linprob
