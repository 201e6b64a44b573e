// libFuzzer target over the settings reader, the number reader and the
// start-of-run check, the code that reads whatever a user puts into the
// working folder.
//
// One input is up to twelve files separated by lines "%%": Settings.txt,
// then Matice.txt, RealRHS.txt, IntRHS.txt, NormalRHS.txt, UniformRHS.txt,
// LognormalRHS.txt, DataRHS.txt, Correlation.txt, IntMatice.txt,
// NormalMatice.txt and UniformMatice.txt of
// Matrix0/ (a file left out is absent). They are written into a private
// working folder and checked as a run checks them. Dimensions,
// IntegrationPrecision and MaxMatrix are held small once the settings have
// been checked, so that every execution stays short.
//
// Besides what the sanitizers find, every message must be one line of
// printable ASCII of bounded length: quoted tokens are cut and escaped.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/number_file.h"
#include "check/input_check.h"
#include "config/run_config.h"
#include "config/settings.h"

namespace {

constexpr std::string_view kSeparator = "\n%%\n";
constexpr const char* kFiles[] = {
    "Settings.txt",          "Matrix0/Matice.txt",    "Matrix0/RealRHS.txt",
    "Matrix0/IntRHS.txt",    "Matrix0/NormalRHS.txt", "Matrix0/UniformRHS.txt",
    "Matrix0/LognormalRHS.txt", "Matrix0/DataRHS.txt",
    "Matrix0/Correlation.txt", "Matrix0/IntMatice.txt",
    "Matrix0/NormalMatice.txt", "Matrix0/UniformMatice.txt"};

void expectPrintable(const std::string& message) {
  if (message.empty() || message.size() > 1000) __builtin_trap();
  for (const char c : message) {
    if (c < 0x20 || c > 0x7e) __builtin_trap();
  }
}

void expectPrintable(const std::vector<std::string>& messages) {
  for (const std::string& message : messages) expectPrintable(message);
}

// The private working folder, removed when the fuzzer exits.
char workFolder[] = "/tmp/linprob_fuzz_XXXXXX";

void removeWorkFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(workFolder, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (::mkdtemp(workFolder) == nullptr || ::chdir(workFolder) != 0 ||
      ::mkdir("Matrix0", 0755) != 0) {
    std::perror("linprob_fuzz: cannot make its working folder");
    std::abort();
  }
  std::atexit(removeWorkFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace linprob;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t from = 0;
  for (const char* file : kFiles) {
    if (from > input.size()) {
      std::remove(file);
      continue;
    }
    const std::size_t end = std::min(input.find(kSeparator, from), input.size());
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        << input.substr(from, end - from);
    from = end + kSeparator.size();
  }

  RunSettings settings;
  const SettingsReadResult read = readSettings("Settings.txt", settings);
  expectPrintable(read.errors);
  if (!read.labelWarning.empty()) expectPrintable(read.labelWarning);
  if (!read.valueLabelWarning.empty()) {
    expectPrintable(read.valueLabelWarning);
  }
  const SettingsCheck check = checkSettings(settings, read);
  expectPrintable(check.errors);
  expectPrintable(check.warnings);
  if (!read.errors.empty() || !check.errors.empty()) return 0;
  settings = check.settings;

  settings.Dimensions = std::min(settings.Dimensions, 5u);
  settings.IntegrationPrecision = std::min(settings.IntegrationPrecision, 40);
  settings.MaxMatrix = std::min(settings.MaxMatrix, 2);
  const SystemFolders folders = findSystemFolders(settings.MaxMatrix);
  expectPrintable(folders.missingTail);
  const InputCheck inputs = checkRunInputs(RunConfig(settings), folders.present);
  expectPrintable(inputs.errors);
  expectPrintable(inputs.warnings);

  // The number reader on its own, with a count the input chooses.
  const std::size_t count = size == 0 ? 0 : data[0] % 32;
  const auto numbers = readNumbers(kFiles[1], count);
  if (!numbers.ok()) {
    expectPrintable(numbers.status().message());
  } else if (numbers.value().size() != count) {
    __builtin_trap();
  }
  // The line reader likewise, on the measured data.
  const std::size_t rows = size < 2 ? 0 : data[1] % 8;
  const auto lines = readRows(kFiles[7], rows, 2);
  if (!lines.ok()) {
    expectPrintable(lines.status().message());
  } else if (lines.value().numbers.size() != rows * lines.value().width) {
    __builtin_trap();
  }
  return 0;
}
