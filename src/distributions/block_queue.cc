#include "distributions/block_queue.h"

#include <string>
#include <utility>

#include "base/console.h"

namespace linprob {

BlockQueue::BlockQueue(unsigned n, std::size_t jobBound)
    : n_(n), jobBound_(jobBound) {}

std::unique_ptr<JobBlock> BlockQueue::takeFree() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!free_.empty()) {
      std::unique_ptr<JobBlock> block = std::move(free_.back());
      free_.pop_back();
      block->count = 0;
      return block;
    }
  }
  // Allocated outside the lock: only the first blocks of a phase get here.
  return std::make_unique<JobBlock>(n_);
}

void BlockQueue::push(std::unique_ptr<JobBlock> block) {
  bool wake = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (cancelled_) return;
    if (queuedJobs_ > jobBound_) {
      // Throttled on a condition, not by polling: the consumer that brings
      // the queue down to half the bound wakes every napping producer. The
      // queue therefore never holds more than the bound plus one block.
      printJobLine("Generator thread taking a nap at " +
                   std::to_string(queuedJobs_) + " jobs.");
      spaceFree_.wait(lock, [this] {
        return queuedJobs_ <= jobBound_ / 2 || cancelled_;
      });
      if (cancelled_) return;
      printJobLine("Generator thread waking up! Jobs left..." +
                   std::to_string(queuedJobs_));
    }
    queuedJobs_ += block->count;
    queue_.push_back(std::move(block));
    wake = waitingConsumers_ > 0;
  }
  // One block serves one consumer: wake one, and only if one waits.
  if (wake) blockReady_.notify_one();
}

void BlockQueue::pushStopper() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(nullptr);
  }
  blockReady_.notify_all();
  printJobLine("Stopper inserted");
}

std::unique_ptr<JobBlock> BlockQueue::pop() {
  bool crossedHalf = false;
  std::unique_ptr<JobBlock> block;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waitingConsumers_;
    blockReady_.wait(lock, [this] { return !queue_.empty() || cancelled_; });
    --waitingConsumers_;
    if (cancelled_) return nullptr;
    if (queue_.front() == nullptr) {
      // Left at the front so that every other consumer meets it too.
      printJobLine("Stopper found.");
      return nullptr;
    }
    block = std::move(queue_.front());
    queue_.pop_front();
    const std::size_t half = jobBound_ / 2;
    // A producer only waits while the queue is above half the bound, so it
    // is enough to signal the one pop that brings it down to half.
    crossedHalf = queuedJobs_ > half && queuedJobs_ - block->count <= half;
    queuedJobs_ -= block->count;
  }
  if (crossedHalf) {
    spaceFree_.notify_all();
  }
  return block;
}

void BlockQueue::recycle(std::unique_ptr<JobBlock> block) {
  if (block == nullptr) {
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  free_.push_back(std::move(block));
}

void BlockQueue::removeStopper() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!queue_.empty() && queue_.front() == nullptr) {
    queue_.pop_front();
  }
}

void BlockQueue::cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  blockReady_.notify_all();
  spaceFree_.notify_all();
}

std::size_t BlockQueue::queuedJobs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queuedJobs_;
}

bool BlockQueue::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.empty();
}

}  // namespace linprob
