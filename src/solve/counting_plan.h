// How an enumeration phase counts its jobs into bands: by replaying every
// job (BandCounter), or by halves (HalvesCounter), whichever the cost model
// expects to be cheaper within the memory budget, and why, in one line.
//
// The model, in nanoseconds on one core (fitted on a 2-core Sapphire
// Rapids virtual machine):
//   replay:  J (0.3 n^2 + 1.3 n)                     J = C^n jobs
//   halves:  per position, with halves of A = C^s and B = C^(n-s) sums,
//            sorting    6 (A log2 A + B log2 B) + 8 (A + B)
//            bands      A (20 (K - 1) + 6 (K / 2 + 1))
//            coverage   1000 A + 5 A log2 A
//                       (positions with a fine histogram only)
//   and once, whatever the split, the setup of the halves (each entry's
//   contributions and the replay's bounds): 3 n (0.3 n^2 + 1.3 n), the
//   cost of 3n replays, which alone outweighs a phase of few jobs (a
//   phase of one job at n = 1000 spent most of a minute in it).
// with C cells, n entries, K bands. These halves' weights give the plan's
// halvesSeconds, which the run-time estimate takes as it is. They were
// refit to phases timed stage by stage on one thread (K = 11, random
// diagonally dominant systems; n = 4 at 50 cells, n = 6 at 20 and 30, n = 8
// at 10, 16 and 20 cells): sorting came out at 0.8 to 1.6 times the first
// fit's 5, bands at 1.1 to 1.8 times its 12 and 4 (more where the parts
// outgrow the caches), the coverage at 1.2 to 3.8 times its 600 A. A
// coverage search makes 390 to 550 evaluations of the mass below a border
// per position, each about 1.1 ns per first-part sum plus 5 ns per sum
// whose pairs straddle the border; the straddling share depends on the
// system (13 to 16 % of the sums at n = 8, 27 % for the bundled example,
// 55 % at n = 6), so 1000 A holds the measured phases to within a factor
// 2 either way. The undecided pairs replayed were a few per phase.
//
// The split and the method are still chosen with the first fit's weights
// (5; 12 and 4; 600 A): another split or method rounds a few masses apart
// in their last bits (a last printed digit of a density may change), and a
// run's files must not change with a refit. The split s is the one of
// least cost among those that fit the memory budget; halves are chosen when
// they fit and cost less than half the replay (the caller falls back to the
// replay where the contributions are not finite), or whenever they fit when
// asked for (CountingChoice::kHalves). Memory: every position keeps both
// halves (20 bytes a sum, the second half 48 bytes more for its masses and
// cuts, and a tree of 16 bytes a leaf) and each thread a sorted copy of a
// first half during the coverage search (40 bytes a sum).
#ifndef LINPROB_SOLVE_COUNTING_PLAN_H_
#define LINPROB_SOLVE_COUNTING_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace linprob {

inline constexpr std::uint64_t kDefaultHalvesMemory = std::uint64_t{1} << 30;

enum class CountingMethod { kReplay, kHalves };

// What the caller asks for: the cheaper, or one of them whenever it is
// usable (tests and comparisons).
enum class CountingChoice { kCheaper, kReplay, kHalves };

// "auto", "replay", "halves" (--counting), and back; nothing for any other
// name.
const char* countingChoiceName(CountingChoice choice);
std::optional<CountingChoice> countingChoiceNamed(std::string_view name);

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
  double halvesSeconds = 0.0;     // estimated (refit weights), one thread
  double replaySeconds = 0.0;
  std::string reason;             // one line, no line end
};

CountingPlan planCounting(const PhaseShape& shape, CountingChoice choice);

}  // namespace linprob

#endif  // LINPROB_SOLVE_COUNTING_PLAN_H_
