// How an enumeration phase counts its jobs into bands: by replaying every
// job (BandCounter), or by halves (HalvesCounter), whichever the cost model
// expects to be cheaper within the memory budget, and why, in one line.
//
// The model, in nanoseconds on one core (fitted on a 2-core Sapphire
// Rapids virtual machine; only the ratio matters, and it holds to about a
// factor 2):
//   replay:  J (0.3 n^2 + 1.3 n)                     J = C^n jobs
//   halves:  per position, with halves of A = C^s and B = C^(n-s) sums,
//            sorting    5 (A log2 A + B log2 B) + 8 (A + B)
//            bands      A (12 (K - 1) + 4 (K / 2 + 1))
//            coverage   600 A + 5 A log2 A
//                       (positions with a fine histogram only: about 400
//                       evaluations of the mass below a border, each
//                       visiting some of the first half's sums)
// with C cells, n entries, K bands. Halves are chosen when their memory
// fits the budget and they cost less than half the replay (the caller falls
// back to the replay where the contributions are not finite). Memory: every
// position keeps both halves (20 bytes a sum, the second half 48 bytes more
// for its masses and cuts, and a tree of 16 bytes a leaf) and each thread a
// sorted copy of a first half during the coverage search (40 bytes a sum).
// The split s is the one of least cost among those that fit.
#ifndef LINPROB_SOLVE_COUNTING_PLAN_H_
#define LINPROB_SOLVE_COUNTING_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace linprob {

inline constexpr std::uint64_t kDefaultHalvesMemory = std::uint64_t{1} << 30;

enum class CountingMethod { kReplay, kHalves };

// What the caller asks for: the cheaper, or one of them whenever it is
// usable (tests and comparisons).
enum class CountingChoice { kCheaper, kReplay, kHalves };

struct PhaseShape {
  unsigned n = 0;
  std::size_t cells = 0;
  std::size_t bands = 0;                // the most of any position
  std::size_t coveragePositions = 0;    // positions with a fine histogram
  int threads = 1;
  std::uint64_t memoryBudget = kDefaultHalvesMemory;
};

struct CountingPlan {
  CountingMethod method = CountingMethod::kReplay;
  unsigned split = 0;             // entries in the first half
  std::uint64_t memoryBytes = 0;  // of the halves, when they fit
  double halvesSeconds = 0.0;     // estimated, one thread
  double replaySeconds = 0.0;
  std::string reason;             // one line, no line end
};

CountingPlan planCounting(const PhaseShape& shape, CountingChoice choice);

}  // namespace linprob

#endif  // LINPROB_SOLVE_COUNTING_PLAN_H_
