// A system's inputs: the numbers of its five files, as the start-of-run
// check read them (check/input_check.h) and, for a system small enough for
// the certified references (kMaxCertifiedSize) in enumeration, each family's
// cells as its phase builds them. Every mode and phase of the run takes
// them from the system's reference (results/system_reference.h), which
// keeps them; no file is read again after the check.
//
// Processes that share a run (base/process_group.h) read nothing: rank 0
// hands the numbers it checked to the others (broadcastSystemInputs).
#ifndef LINPROB_CONFIG_SYSTEM_INPUTS_H_
#define LINPROB_CONFIG_SYSTEM_INPUTS_H_

#include <string>

#include "base/process_group.h"
#include "config/run_config.h"
#include "results/system_reference.h"

namespace linprob {

// The phases of the systems' families that fix their own cells, in an
// enumerating run (none in sampling).
OwnCellPhases ownCellPhases(const RunConfig& config,
                            const std::vector<SystemInputs>& systems);

// Adds each family's cells, as its phase builds them, when the references
// will use them (enumeration, at most kMaxCertifiedSize unknowns).
void addCells(const RunConfig& config, SystemInputs& inputs);

// The numbers of the five files, as bytes for the other processes of a run,
// from freshly read inputs or from the reference that keeps them (both hold
// SystemNumbers); and back.
// systemInputsFromBytes throws std::runtime_error "system inputs: cut short"
// on bytes these did not make.
std::string toBytes(const SystemNumbers& numbers);
SystemInputs systemInputsFromBytes(const std::string& bytes);

// Collective over `group` (every process calls it for the same system):
// rank 0 sends `bytes` (toBytes of the inputs it checked, or of the
// reference it keeps), the others pass nothing; every process returns the
// inputs with their cells.
SystemInputs broadcastSystemInputs(const RunConfig& config, int system,
                               ProcessGroup& group, std::string bytes);

}  // namespace linprob

#endif  // LINPROB_CONFIG_SYSTEM_INPUTS_H_
