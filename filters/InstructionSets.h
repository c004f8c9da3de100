// The filters' hot loops are compiled several times, for x86-64-v4 (AVX-512), AVX2 and the
// baseline, and the best the processor supports is chosen when the program loads. Helpers
// they call are forced inline so that each copy gets them in its own instruction set.
// Multiply and add are never fused (-ffp-contract=off), so every copy computes the same
// doubles.
#pragma once

// A build for testing may compile them for one of the three only (LENSARA_FILTER_ISA).
#if defined(LENSARA_FILTER_BASELINE)
#define LENSARA_CLONES
#elif defined(LENSARA_FILTER_TARGET)
#define LENSARA_CLONES __attribute__((target(LENSARA_FILTER_TARGET)))
#else
#define LENSARA_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
#define LENSARA_INLINE inline __attribute__((always_inline))
