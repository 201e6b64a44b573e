// Launch: how this process was started, alone or as one of the processes
// of a parallel launcher (mpirun, srun), for the program's whole life.
//
// joinLaunch looks for a launcher and, when there is one, joins its
// processes (MPI, in builds with LINPROB_WITH_MPI); group() is then the
// ProcessGroup of the run when there are at least two processes. A process
// started without a launcher, a launch of one process, and every process of
// a build without MPI, run alone (group() is nullptr) exactly as a lone
// program always has. The Launch must outlive every use of its group;
// destroying it ends the process's part in the launch.
#ifndef LINPROB_RANKS_LAUNCH_H_
#define LINPROB_RANKS_LAUNCH_H_

#include <memory>

#include "base/process_group.h"

namespace linprob {

class Launch {
 public:
  virtual ~Launch() = default;
  virtual ProcessGroup* group() = 0;
};

std::unique_ptr<Launch> joinLaunch(int& argc, char**& argv);

}  // namespace linprob

#endif  // LINPROB_RANKS_LAUNCH_H_
