// linprob._native: the compiled part of the Python package. It parses and
// runs the command line's arguments in-process (native_run.h), gives the
// program's version and its tables of families and points, from which the
// pure Python layer (python/linprob/) takes its names; everything else is
// pure Python.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "base/program_version.h"
#include "check/check_messages.h"
#include "check/numeric_check.h"
#include "config/run_config.h"
#include "distributions/family.h"
#include "distributions/parameter_files.h"
#include "distributions/point_kinds.h"
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
