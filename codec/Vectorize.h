// Marks the codec's pixel kernels for an AVX2 clone beside the baseline build, picked at load
// time by the CPU, so the same portable loops run wider where the processor allows.
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(__SANITIZE_ADDRESS__)
#define FRAMEWISE_VECTOR_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define FRAMEWISE_VECTOR_KERNEL
#endif
