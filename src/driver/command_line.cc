#include "driver/command_line.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "base/console.h"
#include "base/input_file.h"
#include "base/program_version.h"
#include "driver/exit_status.h"
#include "results/digits_rule.h"

namespace linprob {
namespace {

constexpr const char* kDescription =
    "Probabilistic analysis of square linear systems A x = b whose right-hand\n"
    "side b is uncertain: every system of the working folder is solved under\n"
    "four pivoting modes for triangular, normal and uniform distributions of b,\n"
    "and lognormal ones or measured data where a system has their file.";

constexpr const char* kFooter =
    "Working folder:\n"
    "  Settings.txt (optional) and Matrix0/ ... Matrix<MaxMatrix-1>/, each with\n"
    "  Matice.txt, RealRHS.txt, IntRHS.txt, NormalRHS.txt, UniformRHS.txt and,\n"
    "  if its entries may be lognormal, LognormalRHS.txt, if they were\n"
    "  measured, DataRHS.txt and, if they are correlated, Correlation.txt\n"
    "  (sampled runs); writes\n"
    "  Matrix<i>/RESULTS_*.txt, Export/ or ExportApprox/, and Report/.\n"
    "\n"
    "Processes:\n"
    "  In a build with MPI, mpirun -np K linprob (or srun -n K linprob) shares\n"
    "  every phase between K processes; the first alone reads WORKDIR and\n"
    "  writes the files, byte for byte those of a single process.\n"
    "\n"
    "Exit status:\n"
    "  0      success\n"
    "  1      input error: the settings or an input file was refused; nothing\n"
    "         was written\n"
    "  2      error while computing\n"
    "  3      an output could not be written: a CSV or report file, or\n"
    "         standard output (the run writes the rest)\n"
    "  64     usage: unknown option, bad value or unusable WORKDIR\n"
    "  128+N  interrupted by signal N";

// The usage line first, then the description; option names as
// "-j, --threads", and after them only the text set with option_text (no
// type names or defaults).
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App*) const override { return ""; }
  std::string make_usage(const CLI::App* app,
                         std::string name) const override {
    return CLI::Formatter::make_usage(app, name) + "\n" +
           app->get_description() + "\n";
  }
  std::string make_option_name(const CLI::Option* option,
                               bool positional) const override {
    std::string name = CLI::Formatter::make_option_name(option, positional);
    // A negated flag's name carries its value: "--no-progress{false}".
    if (const std::size_t brace = name.find('{'); brace != std::string::npos) {
      name.erase(brace, name.find('}', brace) - brace + 1);
    }
    for (std::size_t at = name.find(','); at != std::string::npos;
         at = name.find(',', at + 2)) {
      name.insert(at + 1, " ");
    }
    return name;
  }
  std::string make_option_opts(const CLI::Option* option) const override {
    const std::string& text = option->get_option_text();
    return text.empty() ? "" : " " + text;
  }
};

// What the options hold while CLI11 parses; the numbers are checked here, so
// that every bad value gets the same kind of message.
struct RawOptions {
  std::string workDir;
  std::string threads;
  std::string seed;
  std::string memoryBudget;
  std::string points;
  std::string digits;
  std::string counting;
  std::string halvesMemory;
  bool quiet = false;
  bool progress = false;
  bool check = false;
  bool noReport = false;
};

struct App {
  CLI::App app{kDescription, "linprob"};
  CLI::Option* workDir = nullptr;
  CLI::Option* threads = nullptr;
  CLI::Option* seed = nullptr;
  CLI::Option* memoryBudget = nullptr;
  CLI::Option* points = nullptr;
  CLI::Option* digits = nullptr;
  CLI::Option* counting = nullptr;
  CLI::Option* halvesMemory = nullptr;
};

std::unique_ptr<App> makeApp(RawOptions& raw) {
  auto made = std::make_unique<App>();
  CLI::App& app = made->app;
  app.formatter(std::make_shared<HelpFormatter>());
  app.get_formatter()->column_width(26);
  app.footer(kFooter);
  app.allow_extras();
  app.set_help_flag("-h,--help", "print this help and exit");
  app.set_version_flag("--version", versionText(),
                       "print the version and exit");
  made->workDir =
      app.add_option("WORKDIR", raw.workDir,
                     "the working folder (default: the current one); the\n"
                     "run works there as if started there; after --, it\n"
                     "may begin with -");
  made->threads =
      app.add_option("-j,--threads", raw.threads,
                     "solver threads of every phase, overriding\n"
                     "SolverThreadCount; 0: one per hardware thread;\n"
                     "at most 1024")
          ->option_text("N");
  made->seed =
      app.add_option("--seed", raw.seed,
                     "seed every sampling phase from N (0 ... 2^64-1),\n"
                     "the system, the pivoting mode and the family, so\n"
                     "the run can be repeated exactly; without it the\n"
                     "run's seed is drawn from the system's random\n"
                     "source (Report/results.json keeps it)")
          ->option_text("N");
  made->memoryBudget =
      app.add_option("--memory-budget", raw.memoryBudget,
                     "keep up to MIB MiB of solved values per phase, so\n"
                     "that each sample is drawn and replayed once, not\n"
                     "twice; 0: never; default: 512; the files are the\n"
                     "same for any budget")
          ->option_text("MIB");
  made->points =
      app.add_option("--points", raw.points,
                     "the points of every sampling phase: random\n"
                     "(default), sobol (scrambled Sobol' points, 16\n"
                     "scrambles of a power of two, the samples rounded\n"
                     "up) or lhs (16 Latin hypercube designs)")
          ->option_text("KIND");
  made->digits =
      app.add_option("--digits", raw.digits,
                     "sample every phase in rounds of 16 batches until\n"
                     "the 95 % uncertainty (k standard errors) of each\n"
                     "unknown's mean, sd and 95 % interval ends is at\n"
                     "most half a unit of the sd's D-th significant\n"
                     "digit (1 ... 4);\n"
                     "SampleCount is the most samples a phase takes")
          ->option_text("D");
  made->counting =
      app.add_option("--counting", raw.counting,
                     "how an enumeration phase counts its bands: auto\n"
                     "(default: by halves where the model expects them\n"
                     "cheaper and they fit --halves-memory), replay\n"
                     "(every combination of cells) or halves (whenever\n"
                     "they fit); the values agree to rounding")
          ->option_text("METHOD");
  made->halvesMemory =
      app.add_option("--halves-memory", raw.halvesMemory,
                     "the most MiB counting by halves may take; over\n"
                     "it a phase replays every combination; default:\n"
                     "1024")
          ->option_text("MIB");
  for (CLI::Option* option :
       {made->threads, made->seed, made->memoryBudget, made->points,
        made->digits, made->counting, made->halvesMemory}) {
    option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  }
  app.add_flag("-q,--quiet", raw.quiet,
               "print only the banner and phase lines, not the\n"
               "per-job lines (thread start and stop, naps,\n"
               "solved-job counts)");
  app.add_flag("--progress,!--no-progress", raw.progress,
               "show (or do not show) one self-updating line on\n"
               "standard error per phase: per cent done, jobs per\n"
               "second, time left; default: shown when standard\n"
               "error is a terminal");
  app.add_flag("--check", raw.check,
               "check the settings and every input file, print the\n"
               "plan (jobs per phase and in all, an estimate of the\n"
               "run time) and exit; writes nothing");
  app.add_flag("--no-report", raw.noReport, "do not write the Report/ folder");
  return made;
}

// An argument as messages show it: quoted, with every byte outside
// printable ASCII as \xNN, so that no escape sequence or line break reaches
// the terminal.
std::string quotedArgument(const std::string& text) {
  return quotedToken(text, false, kQuotedPathBytes);
}

// A message of CLI11 that may hold an argument as given: every byte outside
// printable ASCII as \xNN.
std::string printable(const std::string& message) {
  const std::string quoted = quotedToken(message, false, message.size());
  return quoted.substr(1, quoted.size() - 2);
}

CommandLine usageError(const std::string& message) {
  CommandLine line;
  line.exitStatus = exitCode(ExitStatus::kUsage);
  line.text = "linprob: " + message + "; see linprob --help\n";
  return line;
}

// The whole of `text` as a decimal number of type T, or nothing.
template <typename T>
std::optional<T> wholeNumber(const std::string& text) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) return std::nullopt;
  return value;
}

// A memory budget of whole MiB (0 ... kMostMemoryBudgetMiB) in bytes, or
// nothing.
std::optional<std::uint64_t> budgetBytes(const std::string& text) {
  const std::optional<std::uint64_t> mib = wholeNumber<std::uint64_t>(text);
  if (!mib || *mib > kMostMemoryBudgetMiB) return std::nullopt;
  return *mib << 20;
}

CommandLine budgetError(const std::string& option, const std::string& text) {
  return usageError(option + " takes a whole number of MiB from 0 to " +
                    std::to_string(kMostMemoryBudgetMiB) + ", not " +
                    quotedArgument(text));
}

// "--threads: 1 required TEXT missing" names the option before the colon.
std::string optionOf(const std::string& message) {
  return message.substr(0, message.find(':'));
}

}  // namespace

std::string versionText() {
  std::string text = std::string(kProgramName) + " " + programVersion();
  const std::string commit = programCommit();
  if (!commit.empty()) text += " (git " + commit + ")";
  return text;
}

std::string helpText() {
  RawOptions raw;
  return makeApp(raw)->app.help();
}

CommandLine parseArguments(const std::vector<std::string>& arguments,
                           bool progressByDefault) {
  RawOptions raw;
  raw.progress = progressByDefault;
  const std::unique_ptr<App> made = makeApp(raw);
  CLI::App& app = made->app;
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return CommandLine{std::nullopt, 0, app.help()};
  } catch (const CLI::CallForVersion&) {
    return CommandLine{std::nullopt, 0, versionText() + "\n"};
  } catch (const CLI::ArgumentMismatch& error) {
    return usageError(printable(optionOf(error.what())) + " needs a value");
  } catch (const CLI::ParseError& error) {
    return usageError(printable(error.what()));
  }
  std::vector<std::string> extras = app.remaining();
  // "--" ends the options (what follows is WORKDIR even when it begins with
  // "-"); CLI11 keeps the first one among the arguments it did not take.
  if (const auto mark = std::find(extras.begin(), extras.end(), "--");
      mark != extras.end()) {
    extras.erase(mark);
  }
  if (!extras.empty()) {
    const std::string& first = extras.front();
    if (first.size() > 1 && first[0] == '-') {
      return usageError("unknown option " + quotedArgument(first));
    }
    return usageError("unexpected argument " + quotedArgument(first) +
                      " (one WORKDIR at most)");
  }

  RunOptions options;
  if (made->workDir->count() > 0 && raw.workDir.empty()) {
    return usageError("WORKDIR \"\" is empty (to work in the current "
                      "folder, give none, or \".\")");
  }
  options.workDir = raw.workDir;
  if (made->threads->count() > 0) {
    const std::optional<int> threads = wholeNumber<int>(raw.threads);
    if (!threads || *threads < 0 || *threads > kMaxSolverThreads) {
      return usageError("--threads takes a whole number from 0 to " +
                        std::to_string(kMaxSolverThreads) + ", not " +
                        quotedArgument(raw.threads));
    }
    options.solverThreads = *threads;
  }
  if (made->seed->count() > 0) {
    const std::optional<std::uint64_t> seed =
        wholeNumber<std::uint64_t>(raw.seed);
    if (!seed) {
      return usageError(
          "--seed takes a whole number from 0 to " +
          std::to_string(std::numeric_limits<std::uint64_t>::max()) +
          ", not " + quotedArgument(raw.seed));
    }
    options.seed = *seed;
  }
  if (made->memoryBudget->count() > 0) {
    const std::optional<std::uint64_t> bytes = budgetBytes(raw.memoryBudget);
    if (!bytes) return budgetError("--memory-budget", raw.memoryBudget);
    options.memoryBudget = *bytes;
  }
  if (made->points->count() > 0) {
    const std::optional<PointKind> points = sampledKindNamed(raw.points);
    if (!points) {
      return usageError("--points takes " + sampledKindNames() + ", not " +
                        quotedArgument(raw.points));
    }
    options.points = *points;
  }
  if (made->digits->count() > 0) {
    const std::optional<int> digits = wholeNumber<int>(raw.digits);
    if (!digits || *digits < kFewestDigits || *digits > kMostDigits) {
      return usageError("--digits takes a whole number from 1 to 4, not " +
                        quotedArgument(raw.digits));
    }
    options.digits = *digits;
  }
  if (made->counting->count() > 0) {
    const std::optional<CountingChoice> counting =
        countingChoiceNamed(raw.counting);
    if (!counting) {
      return usageError("--counting takes auto, replay or halves, not " +
                        quotedArgument(raw.counting));
    }
    options.counting = *counting;
  }
  if (made->halvesMemory->count() > 0) {
    const std::optional<std::uint64_t> bytes = budgetBytes(raw.halvesMemory);
    if (!bytes) return budgetError("--halves-memory", raw.halvesMemory);
    options.halvesMemory = *bytes;
  }
  options.quiet = raw.quiet;
  options.showProgress = raw.progress;
  options.checkOnly = raw.check;
  options.report =
      raw.noReport ? ReportChoice::kSkipped : ReportChoice::kWritten;
  return CommandLine{options, 0, ""};
}

CommandLine parseCommandLine(int argc, const char* const argv[]) {
  std::vector<std::string> arguments;
  for (int k = 1; k < argc; ++k) arguments.emplace_back(argv[k]);
  return parseArguments(arguments, ::isatty(STDERR_FILENO) == 1);
}

int exitWithoutRun(const CommandLine& line) {
  if (line.exitStatus != 0) {
    std::fwrite(line.text.data(), 1, line.text.size(), stderr);
    std::fflush(stderr);
    return line.exitStatus;
  }
  printText(line.text);
  if (const Status output = standardOutputStatus(); !output.ok()) {
    const std::string message = "standard output: " + output.message() + "\n";
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fflush(stderr);
    return exitCode(ExitStatus::kExportError);
  }
  return line.exitStatus;
}

}  // namespace linprob
