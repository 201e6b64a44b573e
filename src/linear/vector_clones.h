// LINPROB_VECTOR_CLONES marks a hot loop to be compiled twice, for AVX2 and
// for the x86-64 baseline, the copy being chosen when the program loads
// (LINPROB_WIDE_CLONES three times, AVX-512 too).
// Vector instructions round every lane as the scalar ones do, and no fused
// multiply-add is formed (-ffp-contract=off), so both copies give the same
// bits.
//
// The choice runs before any sanitizer runtime is ready, which crashes
// ThreadSanitizer builds; sanitizer builds (and other targets) get the
// baseline copy only.
#ifndef LINPROB_LINEAR_VECTOR_CLONES_H_
#define LINPROB_LINEAR_VECTOR_CLONES_H_

// Clang names its sanitizers through __has_feature instead.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LINPROB_SANITIZED_BUILD 1
#endif
#endif

#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(LINPROB_SANITIZED_BUILD)
#define LINPROB_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
// Also an AVX-512 copy, for loops that convert between doubles and 64-bit
// integers (one vector instruction there, four scalar ones with AVX2).
#define LINPROB_WIDE_CLONES \
  __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define LINPROB_VECTOR_CLONES
#define LINPROB_WIDE_CLONES
#endif

#endif  // LINPROB_LINEAR_VECTOR_CLONES_H_
