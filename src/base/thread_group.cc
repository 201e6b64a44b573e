#include "base/thread_group.h"

#include <stdexcept>
#include <string>
#include <system_error>

namespace linprob {

ThreadGroup::~ThreadGroup() {
  requestStop();
  joinAll();
}

void ThreadGroup::fail(std::exception_ptr error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!first_) first_ = std::move(error);
  }
  requestStop();
}

void ThreadGroup::joinAll() {
  for (std::jthread& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
}

void ThreadGroup::join() {
  joinAll();
  std::exception_ptr error;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    error = std::exchange(first_, nullptr);
  }
  if (error) std::rethrow_exception(error);
}

void ThreadGroup::startFailed(std::exception_ptr error) {
  requestStop();
  joinAll();
  try {
    std::rethrow_exception(error);
  } catch (const std::system_error& failure) {
    throw std::runtime_error(std::string("cannot start a thread: ") +
                             failure.code().message());
  }
}

}  // namespace linprob
