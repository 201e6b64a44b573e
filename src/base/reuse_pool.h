// ReusePool: large buffers that a phase frees, taken again by a later phase
// of the process, so that their pages are faulted in once per run rather
// than once per phase and thread.
//
// All buffers in a pool fit the same phases. A take whose test the newest
// buffer fails empties the pool (they are an earlier phase's shape), so a
// pool never holds buffers of two shapes for long. At most `most` buffers
// are kept; more given back are freed.
//
// The mutex guards `buffers_`; it is taken once per take or give, never
// with another lock.
#ifndef LINPROB_BASE_REUSE_POOL_H_
#define LINPROB_BASE_REUSE_POOL_H_

#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace linprob {

template <typename Buffer>
class ReusePool {
 public:
  explicit ReusePool(std::size_t most) : most_(most) {}

  // A buffer that fits(buffer) accepts, or none.
  template <typename Fits>
  std::optional<Buffer> take(const Fits& fits) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!buffers_.empty() && !fits(buffers_.back())) {
      std::vector<Buffer>().swap(buffers_);
    }
    if (buffers_.empty()) return std::nullopt;
    std::optional<Buffer> buffer(std::move(buffers_.back()));
    buffers_.pop_back();
    return buffer;
  }

  void give(Buffer buffer) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (buffers_.size() < most_) buffers_.push_back(std::move(buffer));
  }

 private:
  const std::size_t most_;
  std::mutex mutex_;
  std::vector<Buffer> buffers_;
};

}  // namespace linprob

#endif  // LINPROB_BASE_REUSE_POOL_H_
