#pragma once

namespace platform {

// Whether the processor has the byte shuffles (SSSE3) that some pixel loops use. They are not part of the
// generic build's baseline, so the machine is asked once; anywhere else the plain loops run.
inline bool CanShuffleBytes() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool can = __builtin_cpu_supports("ssse3");
    return can;
#else
    return false;
#endif
}

// Whether the processor has the 256-bit integer vectors (AVX2) that the widest pixel loops use.
inline bool CanUseWideVectors() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool can = __builtin_cpu_supports("avx2");
    return can;
#else
    return false;
#endif
}

}  // namespace platform
