// Marks the codec's pixel kernels for an AVX2 clone beside the baseline build, picked at load
// time by the CPU, so the same portable loops run wider where the processor allows.
#pragma once

// The clone is chosen by an ifunc resolver that runs while the program is being loaded, before
// a sanitizer's runtime is set up (an instrumented resolver crashes there): sanitizer builds keep
// the baseline loops.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define FRAMEWISE_THREAD_SANITIZER 1
#endif
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && \
    !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) &&  \
    !defined(FRAMEWISE_THREAD_SANITIZER)
#define FRAMEWISE_VECTOR_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define FRAMEWISE_VECTOR_KERNEL
#endif
