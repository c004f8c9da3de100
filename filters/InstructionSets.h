// The filters' hot loops are compiled several times, for x86-64-v4 (AVX-512), x86-64-v3
// (AVX2 with fused multiply-adds) and the baseline, and the best the processor supports is
// chosen when the program loads. Helpers they call are forced inline so that each copy gets
// them in its own instruction set. Multiply and add are never fused on their own
// (-ffp-contract=off), only where the code asks for it with a product that is exact, so
// every copy computes the same doubles.
#pragma once

// A build for testing may compile them for one of the three only (LENSARA_FILTER_ISA).
#if defined(LENSARA_FILTER_BASELINE)
#define LENSARA_CLONES
#elif defined(LENSARA_FILTER_TARGET)
#define LENSARA_CLONES __attribute__((target(LENSARA_FILTER_TARGET)))
#else
#define LENSARA_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#endif
#define LENSARA_INLINE inline __attribute__((always_inline))
