// The limits a run is held to on this machine: memory up to half of what
// the machine (or the control group the process runs in) has, files up to
// kMostOutputBytes.
#ifndef LINPROB_COST_MACHINE_LIMITS_H_
#define LINPROB_COST_MACHINE_LIMITS_H_

namespace linprob {

inline constexpr double kMostOutputBytes = 2e9;

struct FootprintLimits {
  double memoryBytes = 0.0;
  double outputBytes = kMostOutputBytes;
};

// Half of the physical memory, or of the control group's limit when that is
// lower (cgroup v2 memory.max); kMostOutputBytes.
FootprintLimits machineLimits();

}  // namespace linprob

#endif  // LINPROB_COST_MACHINE_LIMITS_H_
