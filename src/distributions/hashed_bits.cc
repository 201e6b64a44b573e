#include "distributions/hashed_bits.h"

#include <Random123/philox.h>

namespace linprob {

std::uint64_t streamKey(std::uint64_t seed, KeyPurpose purpose,
                        unsigned replicate, unsigned dimension) {
  // Counter (purpose and replicate, dimension) under the phase's seed; the
  // two words of the result are folded into one key.
  const r123::Philox2x64::key_type key{{seed}};
  const std::uint64_t high = static_cast<std::uint64_t>(purpose) << 32;
  const r123::Philox2x64::ctr_type counter{
      {high | replicate, static_cast<std::uint64_t>(dimension)}};
  const r123::Philox2x64::ctr_type words = r123::Philox2x64()(counter, key);
  return words.v[0] ^ (words.v[1] << 1 | words.v[1] >> 63);
}

}  // namespace linprob
