#include "distributions/chunk_queue.h"

#include <string>

#include "base/console.h"

namespace linprob {

ChunkQueue::ChunkQueue(std::size_t jobBound) : jobBound_(jobBound) {}

void ChunkQueue::push(JobChunk chunk) {
  bool wake = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (cancelled_) return;
    if (queuedJobs_ > jobBound_) {
      // Throttled on a condition, not by polling: the consumer that brings
      // the queue down to half the bound wakes every napping producer. The
      // queue therefore never holds more than the bound plus one chunk per
      // producer.
      printJobLine("Generator thread taking a nap at " +
                   std::to_string(queuedJobs_) + " jobs.");
      spaceFree_.wait(lock, [this] {
        return queuedJobs_ <= jobBound_ / 2 || cancelled_;
      });
      if (cancelled_) return;
      printJobLine("Generator thread waking up! Jobs left..." +
                   std::to_string(queuedJobs_));
    }
    queuedJobs_ += chunk.jobs;
    queue_.push_back(chunk);
    wake = waitingConsumers_ > 0;
  }
  // One chunk serves one consumer: wake one, and only if one waits.
  if (wake) chunkReady_.notify_one();
}

void ChunkQueue::pushStopper() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::nullopt);
  }
  chunkReady_.notify_all();
  printJobLine("Stopper inserted");
}

std::optional<JobChunk> ChunkQueue::pop() {
  bool crossedHalf = false;
  JobChunk chunk;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waitingConsumers_;
    chunkReady_.wait(lock, [this] { return !queue_.empty() || cancelled_; });
    --waitingConsumers_;
    if (cancelled_) return std::nullopt;
    if (!queue_.front().has_value()) {
      // Left at the front so that every other consumer meets it too.
      printJobLine("Stopper found.");
      return std::nullopt;
    }
    chunk = *queue_.front();
    queue_.pop_front();
    const std::size_t half = jobBound_ / 2;
    // A producer only waits while the queue is above half the bound, so it
    // is enough to signal the one pop that brings it down to half.
    crossedHalf = queuedJobs_ > half && queuedJobs_ - chunk.jobs <= half;
    queuedJobs_ -= chunk.jobs;
  }
  if (crossedHalf) {
    spaceFree_.notify_all();
  }
  return chunk;
}

void ChunkQueue::removeStopper() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!queue_.empty() && !queue_.front().has_value()) {
    queue_.pop_front();
  }
}

void ChunkQueue::cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
  }
  chunkReady_.notify_all();
  spaceFree_.notify_all();
}

std::size_t ChunkQueue::queuedJobs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queuedJobs_;
}

bool ChunkQueue::empty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.empty();
}

}  // namespace linprob
