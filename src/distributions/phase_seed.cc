#include "distributions/phase_seed.h"

#include <random>

namespace linprob {
namespace {

// One SplitMix64 step: the golden-ratio increment, then the finaliser.
std::uint64_t splitMix64(std::uint64_t state) {
  std::uint64_t z = state + 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

std::uint64_t phaseSeed(std::uint64_t runSeed, int system,
                        const PivotMode& mode, Family family) {
  // Each value is mixed into the state in turn, so that swapping two of them
  // changes the seed too.
  std::uint64_t state = splitMix64(runSeed);
  state = splitMix64(state ^ static_cast<std::uint64_t>(system));
  state = splitMix64(state ^ static_cast<std::uint64_t>(mode.index));
  state = splitMix64(state ^ static_cast<std::uint64_t>(family));
  return state;
}

std::uint64_t drawSeed() {
  std::random_device device;
  const std::uint64_t high = device();
  const std::uint64_t low = device();
  return (high << 32) | (low & 0xffffffffULL);
}

}  // namespace linprob
