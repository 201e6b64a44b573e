// ChunkQueue: the job queue of a distribution phase. It carries chunks of
// jobs (JobChunk: an index into the phase's ChunkPlan and its job count) from
// the producers (generator threads, or the sampling producer) to the solver
// threads, which produce and solve the chunk's jobs themselves.
//
// The queue is bounded by jobs: a producer that finds more than
// kQueueBackOffSize jobs waiting prints
//   "Generator thread taking a nap at <jobs> jobs."
// waits on a condition variable until at most half the bound is left, and
// prints "Generator thread waking up! Jobs left...<jobs>". Production ends
// with one stopper (pushStopper prints "Stopper inserted"); every consumer
// that meets it prints "Stopper found." and gets nothing, the stopper staying
// at the front until removeStopper.
//
// cancel() ends the phase early (a worker failed, or the run was stopped):
// every producer and consumer, waiting or not, returns at once, pushes are
// dropped and pop gives nothing without the stopper line.
//
// All of these lines are job lines (printJobLine, base/console.h).
//
// One mutex guards the queue, the job count, the number of waiting consumers
// and the cancelled flag; it is held only to move one chunk, never while
// jobs are produced or solved. A pushed chunk wakes one waiting consumer, the
// stopper wakes them all.
#ifndef LINPROB_DISTRIBUTIONS_CHUNK_QUEUE_H_
#define LINPROB_DISTRIBUTIONS_CHUNK_QUEUE_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "distributions/job_chunk.h"

namespace linprob {

inline constexpr std::size_t kQueueBackOffSize = 50000;

class ChunkQueue {
 public:
  explicit ChunkQueue(std::size_t jobBound = kQueueBackOffSize);

  void push(JobChunk chunk);
  void pushStopper();
  // Waits for a chunk; nothing once the stopper is at the front.
  std::optional<JobChunk> pop();
  // After every consumer has ended: removes the stopper; the queue is empty.
  void removeStopper();
  // Wakes everybody; from now on push drops its chunk and pop gives nothing.
  void cancel();

  std::size_t queuedJobs() const;
  bool empty() const;

 private:
  const std::size_t jobBound_;
  mutable std::mutex mutex_;
  std::condition_variable chunkReady_;  // a chunk or the stopper was pushed
  std::condition_variable spaceFree_;   // queued jobs fell to half the bound
  std::deque<std::optional<JobChunk>> queue_;  // nullopt is the stopper
  std::size_t queuedJobs_ = 0;
  int waitingConsumers_ = 0;  // consumers inside pop(), waiting or about to
  bool cancelled_ = false;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_CHUNK_QUEUE_H_
