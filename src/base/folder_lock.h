// FolderLock: one run per working folder.
//
// acquire() creates the lock file (kept open) and takes an advisory,
// exclusive flock on it without waiting. The file is opened without
// following a symbolic link and without blocking (a FIFO at its name would
// otherwise wait for a writer), and only a regular file is taken; nothing is
// ever written to it. A second run in the same folder finds it taken and is
// refused; the system releases the lock when the process ends in any way,
// so a crashed run never blocks the next one. The destructor removes the lock file while still holding the lock, then
// releases it. A run that took the lock on a file another run removed a
// moment before tries again on the new file, so two runs never both hold
// a lock.
#ifndef LINPROB_BASE_FOLDER_LOCK_H_
#define LINPROB_BASE_FOLDER_LOCK_H_

#include <string>

#include "base/status.h"

namespace linprob {

class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Ok, or the problem, worded to follow the lock file's name:
  //   "another run is working in this folder"
  //   "is not a regular file"           a symbolic link, FIFO, folder, ...
  //   "cannot be created: <reason>"
  Status acquire(const std::string& path);

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace linprob

#endif  // LINPROB_BASE_FOLDER_LOCK_H_
