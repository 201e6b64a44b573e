#include "base/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace linprob {

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  // Removed while the lock is held: a run that opened this file before the
  // removal finds it locked, or, once released, no longer at the path.
  ::unlink(path_.c_str());
  ::close(fd_);
}

Status FolderLock::acquire(const std::string& path) {
  for (;;) {
    // O_NOFOLLOW: a symbolic link at the name fails with ELOOP instead of
    // creating or locking its target. O_NONBLOCK: a FIFO opens at once (and
    // is then refused) instead of waiting for a writer.
    const int fd = ::open(path.c_str(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                          0666);
    if (fd < 0) {
      if (errno == ELOOP) return Status::error("is not a regular file");
      return Status::error(std::string("cannot be created: ") +
                           std::strerror(errno));
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
      ::close(fd);
      return Status::error("is not a regular file");
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      if (error == EWOULDBLOCK) {
        return Status::error("another run is working in this folder");
      }
      return Status::error(std::string("cannot be locked: ") +
                           std::strerror(error));
    }
    // The file locked must still be the one at the path (the name itself,
    // not what a link there leads to); the run that held it may have
    // removed it between the open and the flock.
    struct stat atPath {};
    if (::lstat(path.c_str(), &atPath) == 0 &&
        held.st_dev == atPath.st_dev && held.st_ino == atPath.st_ino) {
      path_ = path;
      fd_ = fd;
      return Status();
    }
    ::close(fd);
  }
}

}  // namespace linprob
