// linprob._native: the compiled part of the Python package. It parses and
// runs the command line's arguments in-process (native_run.h), gives the
// program's version and its tables of families and points, from which the
// pure Python layer (python/linprob/) takes its names; everything else is
// pure Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <limits>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "base/program_version.h"
#include "check/check_messages.h"
#include "check/numeric_check.h"
#include "config/given_inputs.h"
#include "config/run_config.h"
#include "config/settings.h"
#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "distributions/point_kinds.h"
#include "distributions/random_matrix_files.h"
#include "linear/pivot_mode.h"
#include "native_run.h"

namespace py = pybind11;

namespace {

// The start-of-run check of a matrix alone, as the program checks
// Matrix0/Matice.txt: its problems (the file named as the program names
// it), none when every pivoting mode can analyse it. The GIL is released
// while it eliminates.
std::vector<std::string> checkMatrix(
    const py::array_t<double, py::array::c_style | py::array::forcecast>& matrix) {
  if (matrix.ndim() != 2 || matrix.shape(0) != matrix.shape(1)) {
    throw py::value_error("check_matrix: a square matrix is needed");
  }
  const auto n = static_cast<unsigned>(matrix.shape(0));
  linprob::ReadInputs read;
  read.folder = "Matrix0/";
  read.files.n = n;
  read.files.matrix.assign(matrix.data(), matrix.data() + matrix.size());
  read.mark(linprob::SystemFile::kMatrix);
  linprob::RunSettings settings;
  settings.Dimensions = n;
  linprob::InputCheck check;
  {
    py::gil_scoped_release released;
    linprob::checkNumerics(read, linprob::RunConfig(settings), check);
  }
  return check.errors;
}

// An array's numbers in C order: the one copy the run keeps (an array of
// float64 in C order is read where it lies).
std::vector<double> numbersOf(const py::handle& value, const char* what) {
  using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const Array array = Array::ensure(value);
  if (!array) {
    throw py::value_error(std::string("run_given: ") + what +
                          " is not an array of numbers");
  }
  return std::vector<double>(array.data(), array.data() + array.size());
}

// The settings of a run from {option name: value}, the names of
// Settings.txt; an option left out keeps its default.
linprob::RunSettings settingsOf(const py::dict& values) {
  linprob::RunSettings settings;
  for (const auto& [key, value] : values) {
    const std::string name = py::cast<std::string>(key);
    const linprob::SettingRule* rule = nullptr;
    for (const linprob::SettingRule& row : linprob::kSettings) {
      if (name == row.name) rule = &row;
    }
    if (rule == nullptr) throw py::value_error("run_given: no option " + name);
    const auto number = py::cast<long long>(value);
    std::visit(
        [&](auto member) {
          using Field = std::remove_reference_t<decltype(settings.*member)>;
          if (number < static_cast<long long>(std::numeric_limits<Field>::min()) ||
              number > static_cast<long long>(std::numeric_limits<Field>::max())) {
            throw py::value_error("Settings.txt: " + name + " " +
                                  std::to_string(number) + " is out of range");
          }
          settings.*member = static_cast<Field>(number);
        },
        rule->field);
  }
  return settings;
}

// A system's numbers from (matrix, rhs, interval, [parameters of each
// kind, in the order of the parameter files], [names of its families]
// [, correlation matrix, empty for independent entries[, interval
// matrix's ends, lower and upper of each coefficient row by row, empty
// without one]]).
linprob::SystemNumbers systemOf(const py::tuple& parts) {
  if (parts.size() < 5 || parts.size() > 8) {
    throw py::value_error(
        "run_given: a system is (matrix, rhs, interval, parameters, families"
        "[, correlation[, interval matrix[, random matrices]]])");
  }
  linprob::SystemNumbers numbers;
  numbers.matrix = numbersOf(parts[0], "a matrix");
  numbers.rhs = numbersOf(parts[1], "a right-hand side");
  const std::vector<double> bounds = numbersOf(parts[2], "an interval");
  numbers.intervalRhs.reserve(bounds.size() / 2);
  for (std::size_t j = 0; j + 1 < bounds.size(); j += 2) {
    numbers.intervalRhs.push_back(linprob::ValueBounds{bounds[j], bounds[j + 1]});
  }
  const auto parameters = py::cast<py::sequence>(parts[3]);
  if (parameters.size() != linprob::kParameterKindCount) {
    throw py::value_error("run_given: one array per parameter file is needed");
  }
  for (std::size_t k = 0; k < linprob::kParameterKindCount; ++k) {
    numbers.parameters[k] = numbersOf(parameters[k], "a parameter array");
  }
  numbers.families.reset();
  for (const auto& name : py::cast<py::sequence>(parts[4])) {
    const std::string wanted = py::cast<std::string>(name);
    bool found = false;
    for (const linprob::FamilyInfo& family : linprob::kFamilies) {
      if (wanted != family.name) continue;
      numbers.families.set(static_cast<std::size_t>(family.family));
      found = true;
    }
    if (!found) throw py::value_error("run_given: no family " + wanted);
  }
  if (numbers.families.none()) {
    throw py::value_error("run_given: a system needs a family to analyse");
  }
  if (parts.size() >= 6) numbers.correlation = numbersOf(parts[5], "a correlation");
  if (parts.size() >= 7) {
    const std::vector<double> ends = numbersOf(parts[6], "an interval matrix");
    for (std::size_t k = 0; k + 1 < ends.size(); k += 2) {
      numbers.intervalMatrix.push_back(linprob::ValueBounds{ends[k], ends[k + 1]});
    }
  }
  if (parts.size() == 8) {
    const auto matrices = py::cast<py::sequence>(parts[7]);
    if (matrices.size() != linprob::kParameterKindCount) {
      throw py::value_error(
          "run_given: one random matrix per parameter file is needed");
    }
    for (std::size_t k = 0; k < linprob::kParameterKindCount; ++k) {
      numbers.randomMatrix[k] = numbersOf(matrices[k], "a random matrix");
    }
  }
  return numbers;
}

// The modes of a run from their labels ("NoPivot", ...).
linprob::ModeSet modesOf(const py::sequence& labels) {
  linprob::ModeSet modes;
  for (const auto& label : labels) {
    const std::string wanted = py::cast<std::string>(label);
    bool found = false;
    for (const linprob::PivotMode& mode : linprob::kPivotModes) {
      if (wanted != mode.label) continue;
      modes.set(static_cast<std::size_t>(mode.index));
      found = true;
    }
    if (!found) throw py::value_error("run_given: no mode " + wanted);
  }
  if (modes.none()) throw py::value_error("run_given: a run needs a mode");
  return modes;
}

}  // namespace

PYBIND11_MODULE(_native, module) {
  module.doc() = "The compiled part of linprob: runs the program in-process.";
  module.def(
      "version", [] { return std::string(linprob::programVersion()); },
      "The program's version, e.g. '1.0.0'.");
  module.def(
      "commit", [] { return std::string(linprob::programCommit()); },
      "The git commit the program was built from; '' outside a checkout.");
  module.def(
      "families",
      [] {
        std::vector<std::pair<std::string, std::string>> rows;
        for (const linprob::FamilyInfo& family : linprob::kFamilies) {
          rows.emplace_back(family.name, linprob::parameterFileOf(family));
        }
        return rows;
      },
      "The families a run analyses, in the program's order, each as\n"
      "(name, its parameter file), e.g. ('Normal', 'NormalRHS.txt').");
  module.def(
      "parameter_files",
      [] {
        std::vector<std::string> files;
        for (const linprob::ParameterKindInfo& kind : linprob::kParameterKinds) {
          files.emplace_back(kind.file);
        }
        return files;
      },
      "The parameter files of a system, in the order the program reads them.");
  module.def(
      "random_matrix_files",
      [] {
        std::vector<std::string> files;
        for (const linprob::ParameterKindInfo& kind : linprob::kParameterKinds) {
          const char* file = linprob::randomMatrixFileOf(kind.kind);
          files.emplace_back(file == nullptr ? "" : file);
        }
        return files;
      },
      "For each parameter file, in the program's order, the file of the\n"
      "random matrix of its families ('' where there is none).");
  module.def(
      "optional_parameter_files",
      [] {
        std::vector<std::string> files;
        for (const linprob::ParameterKindInfo& kind : linprob::kParameterKinds) {
          if (kind.presence == linprob::Presence::kOptional) {
            files.emplace_back(kind.file);
          }
        }
        return files;
      },
      "The parameter files a system may go without (the families that read\n"
      "them are then not run for it).");
  module.def(
      "stand_in",
      [](const std::string& file, const std::vector<double>& lower,
         const std::vector<double>& upper) {
        for (const linprob::ParameterKindInfo& kind : linprob::kParameterKinds) {
          if (file != kind.file) continue;
          std::vector<double> numbers;
          for (std::size_t j = 0; j < lower.size() && j < upper.size(); ++j) {
            const double center = (lower[j] + upper[j]) / 2.0;
            const double halfWidth = (upper[j] - lower[j]) / 2.0;
            kind.standIn(center, halfWidth, numbers);
          }
          return numbers;
        }
        throw py::value_error("stand_in: no parameter file " + file);
      },
      py::arg("file"), py::arg("lower"), py::arg("upper"),
      "The numbers of parameter file `file` for entries spread over\n"
      "[lower, upper], as the program's row of that file makes them up,\n"
      "entry after entry.");
  module.def(
      "sampling_points",
      [] {
        std::vector<std::string> names;
        for (const linprob::PointKindRow& row : linprob::kPointKindRows) {
          if (linprob::drawsSamples(row.kind)) names.emplace_back(row.name);
        }
        return names;
      },
      "The kinds of sample points --points takes, e.g. 'random'.");
  module.def("check_matrix", checkMatrix, py::arg("matrix"),
             "The program's start-of-run check of a matrix alone: its\n"
             "problems as the program words them for Matrix0/Matice.txt\n"
             "(a matrix singular or too ill-conditioned under some pivoting\n"
             "mode, an elimination that overflows); empty when it passes.");
  module.def(
      "run_given",
      [](const std::vector<std::string>& arguments, const py::dict& settings,
         const py::list& systems, const py::sequence& modes) {
        auto given = std::make_shared<linprob::GivenInputs>();
        given->settings = settingsOf(settings);
        given->modes = modesOf(modes);
        for (const auto& system : systems) {
          given->systems.push_back(systemOf(py::cast<py::tuple>(system)));
        }
        linprob::ReportBytes report;
        const linprob::NativeRunEnd end =
            linprob::runArguments(arguments, std::move(given), &report);
        if (end.pythonInterrupted) throw py::error_already_set();
        py::dict files;
        for (auto& [name, bytes] : report) {
          files[py::str(name)] = py::bytes(bytes);
          std::string().swap(bytes);  // each file held twice at most
        }
        return py::make_tuple(end.exitStatus, py::bytes(end.errors), files);
      },
      py::arg("arguments"), py::arg("settings"), py::arg("systems"),
      py::arg("modes"),
      "As run_arguments, with the settings ({option of Settings.txt: value}),\n"
      "the systems ([(matrix, rhs, interval, [parameters per parameter\n"
      "file], [families analysed])]) and the modes analysed (their labels,\n"
      "'NoPivot' ...) handed over instead of read from a working folder; the\n"
      "modes and families left out are not computed. The\n"
      "report kept in memory: returns (exit status, standard error's bytes,\n"
      "{path in Report/: bytes}). Nothing is read from or written to a\n"
      "folder; each array is copied once, into the run.");
  module.def("systems_done", &linprob::systemsDone,
             "The systems under a pivoting mode the current run has done.");
  module.def(
      "run_arguments",
      [](const std::vector<std::string>& arguments) {
        const linprob::NativeRunEnd end = linprob::runArguments(arguments);
        if (end.pythonInterrupted) throw py::error_already_set();
        return py::make_tuple(end.exitStatus, py::bytes(end.errors));
      },
      py::arg("arguments"),
      "Runs the program with `arguments` (its command line without the\n"
      "program's name) in this process, the GIL released, and returns\n"
      "(exit status, standard error's bytes). Raises KeyboardInterrupt when\n"
      "Python's handler caught SIGINT while it ran (the run is stopped).");
}
