// linprob._native: the compiled part of the Python package. It parses and
// runs the command line's arguments in-process (native_run.h) and gives the
// program's version; everything else is pure Python (python/linprob/).
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <string>
#include <vector>

#include "base/program_version.h"
#include "native_run.h"

namespace py = pybind11;

PYBIND11_MODULE(_native, module) {
  module.doc() = "The compiled part of linprob: runs the program in-process.";
  module.def(
      "version", [] { return std::string(linprob::programVersion()); },
      "The program's version, e.g. '1.0.0'.");
  module.def(
      "commit", [] { return std::string(linprob::programCommit()); },
      "The git commit the program was built from; '' outside a checkout.");
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
