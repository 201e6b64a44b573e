// A system's inputs, read once from its folder "Matrix<i>/": the matrix, the
// plain and the interval right-hand side and both parameter files, and, for
// a system small enough for the certified references (kMaxCertifiedSize) in
// enumeration, each family's cells as its phase builds them. Every mode and
// phase of the run takes them from the system's reference
// (results/system_reference.h), which keeps them.
//
// Files that cannot be read throw std::runtime_error "<path>: <problem>"
// (the start-of-run check has read them all before, so this means a file
// changed while the program ran, or that `stop` was requested: "reading
// stopped").
//
// Processes that share a run (base/process_group.h) read nothing: rank 0
// reads the files and hands their numbers to the others (shareSystemInputs).
#ifndef LINPROB_DRIVER_SYSTEM_INPUTS_H_
#define LINPROB_DRIVER_SYSTEM_INPUTS_H_

#include <stop_token>
#include <string>

#include "base/process_group.h"
#include "driver/settings.h"
#include "results/system_reference.h"

namespace linprob {

// The five files of system `system`, cells not yet made.
SystemInputs readSystemFiles(const RunSettings& settings, int system,
                             const std::stop_token& stop = {});

// Adds each family's cells, as its phase builds them, when the references
// will use them (enumeration, at most kMaxCertifiedSize unknowns).
void addCells(const RunSettings& settings, SystemInputs& inputs);

// readSystemFiles, then addCells.
SystemInputs readSystemInputs(const RunSettings& settings, int system,
                              const std::stop_token& stop = {});

// The numbers of the five files, as bytes for the other processes of a run,
// from freshly read inputs or from the reference that keeps them; and back.
// systemInputsFromBytes throws std::runtime_error "system inputs: cut short"
// on bytes these did not make.
std::string toBytes(const SystemInputs& inputs);
std::string toBytes(const SystemReference& reference);
SystemInputs systemInputsFromBytes(const std::string& bytes);

// Collective over `group` (every process calls it for the same system):
// rank 0 sends the inputs of `kept` when set, else reads them
// (readSystemFiles); every process returns them with their cells. A read
// that fails throws on rank 0 only: its failure then ends the group.
SystemInputs shareSystemInputs(const RunSettings& settings, int system,
                               ProcessGroup& group,
                               const SystemReference* kept,
                               const std::stop_token& stop);

}  // namespace linprob

#endif  // LINPROB_DRIVER_SYSTEM_INPUTS_H_
