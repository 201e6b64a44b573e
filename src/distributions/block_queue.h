// BlockQueue: the job queue of a distribution phase, moving blocks of jobs
// from the producers (generator threads, or the sampling producer) to the
// solver threads.
//
// Producers take an empty block (takeFree), fill it and push it; consumers pop
// it, solve it and give it back (recycle), so after warm-up no block is
// allocated. The queue is bounded by jobs: a producer that finds more than
// kQueueBackOffSize jobs waiting prints
//   "Generator thread taking a nap at <jobs> jobs."
// waits on a condition variable until at most half the bound is left, and
// prints "Generator thread waking up! Jobs left...<jobs>". Production ends
// with one stopper (pushStopper prints "Stopper inserted"); every consumer
// that meets it prints "Stopper found." and gets nullptr, the stopper staying
// at the front until removeStopper.
//
// cancel() ends the phase early (a worker failed, or the run was stopped):
// every producer and consumer, waiting or not, returns at once, pushes are
// dropped and pop gives nullptr without the stopper line.
//
// All of these lines are job lines (printJobLine, base/console.h).
//
// One mutex guards the queue, the free list, the job count, the number of
// waiting consumers and the cancelled flag; it is held only to move a block pointer, never while
// filling or solving. A pushed block wakes one waiting consumer, the stopper
// wakes them all.
#ifndef LINPROB_DISTRIBUTIONS_BLOCK_QUEUE_H_
#define LINPROB_DISTRIBUTIONS_BLOCK_QUEUE_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "distributions/job_block.h"

namespace linprob {

inline constexpr std::size_t kQueueBackOffSize = 50000;

class BlockQueue {
 public:
  explicit BlockQueue(unsigned n, std::size_t jobBound = kQueueBackOffSize);

  std::unique_ptr<JobBlock> takeFree();
  void push(std::unique_ptr<JobBlock> block);
  void pushStopper();
  // Waits for a block; nullptr once the stopper is at the front.
  std::unique_ptr<JobBlock> pop();
  void recycle(std::unique_ptr<JobBlock> block);
  // After every consumer has ended: removes the stopper; the queue is empty.
  void removeStopper();
  // Wakes everybody; from now on push drops its block and pop returns nullptr.
  void cancel();

  std::size_t queuedJobs() const;
  bool empty() const;

 private:
  const unsigned n_;
  const std::size_t jobBound_;
  mutable std::mutex mutex_;
  std::condition_variable blockReady_;  // a block or the stopper was pushed
  std::condition_variable spaceFree_;   // queued jobs fell to half the bound
  std::deque<std::unique_ptr<JobBlock>> queue_;  // nullptr is the stopper
  std::vector<std::unique_ptr<JobBlock>> free_;
  std::size_t queuedJobs_ = 0;
  int waitingConsumers_ = 0;  // consumers inside pop(), waiting or about to
  bool cancelled_ = false;
};

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_BLOCK_QUEUE_H_
