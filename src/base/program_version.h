// The program's name and version, as reports and messages give them. The
// version is the CMake project's (project(... VERSION ...)), compiled into
// program_version.cc alone, so that a new version rebuilds one file.
#ifndef LINPROB_BASE_PROGRAM_VERSION_H_
#define LINPROB_BASE_PROGRAM_VERSION_H_

namespace linprob {

inline constexpr const char* kProgramName = "linprob";

// "1.0.0"; "unknown" when the build did not define it.
const char* programVersion();

}  // namespace linprob

#endif  // LINPROB_BASE_PROGRAM_VERSION_H_
