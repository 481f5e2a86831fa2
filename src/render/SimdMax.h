// Byte-wise maxima over rows, sixteen pixels at a time (SSE2, part of every x86-64), with a
// plain loop elsewhere. The kernels of the fast engine are built from these.
#pragma once

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kalvetra::simd {

// d[i] = max(a[i], b[i]) for i < n. d may be a or b; the rows may be unaligned.
inline void maxOf(std::uint8_t* d, const std::uint8_t* a, const std::uint8_t* b, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_max_epu8(va, vb));
    }
#endif
    for (; i < n; ++i)
        d[i] = std::max(a[i], b[i]);
}

// d[i] = max(d[i], s[i]).
inline void maxInto(std::uint8_t* d, const std::uint8_t* s, int n)
{
    maxOf(d, d, s, n);
}

// d[i] = max(d[i], d[i + step]) for i < n, in increasing i: each d[i + step] is read before
// it is updated, so after the pass d[i] is the maximum over [i, i + 2 * step - 1] of the old
// window-`step` values. The row must hold n + step bytes.
inline void doubleWindow(std::uint8_t* d, int step, int n)
{
    int i = 0;
#if defined(__SSE2__)
    // NOTE: stores only ever go below the next loads, so every load sees the old values.
    for (; i + 16 <= n; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i + step));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_max_epu8(va, vb));
    }
#endif
    for (; i < n; ++i)
        d[i] = std::max(d[i], d[i + step]);
}

// True when all n bytes are zero.
inline bool allZero(const std::uint8_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    __m128i acc = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16)
        acc = _mm_or_si128(acc, _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(acc, _mm_setzero_si128())) != 0xFFFF)
        return false;
#endif
    for (; i < n; ++i)
        if (s[i])
            return false;
    return true;
}

}  // namespace kalvetra::simd
