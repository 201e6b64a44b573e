// The program's name, version and commit, as --version and the reports give
// them. The version is the CMake project's (project(... VERSION ...)), the
// commit the one a git checkout had when the build was configured; both are
// compiled into program_version.cc alone, so that a new commit rebuilds one
// file.
#ifndef LINPROB_BASE_PROGRAM_VERSION_H_
#define LINPROB_BASE_PROGRAM_VERSION_H_

namespace linprob {

inline constexpr const char* kProgramName = "linprob";

// "1.0.0"; "unknown" when the build did not define it.
const char* programVersion();
// The abbreviated commit hash; empty outside a git checkout.
const char* programCommit();

}  // namespace linprob

#endif  // LINPROB_BASE_PROGRAM_VERSION_H_
