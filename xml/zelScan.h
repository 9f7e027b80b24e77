#pragma once
// FindFirstOf: the engine's scan for the first of a few bytes, 16 bytes at a time where the
// processor offers SSE2 (every x86-64 does), byte by byte elsewhere and at the end.
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// 0-based position of the first byte at or after from (before size) that equals one of
// wanted; size when there is none.
template <class... Bytes>
inline size_t FindFirstOf(const char *data, size_t from, size_t size, Bytes... wanted)
{
#if defined(__SSE2__)
    for (; from + 16 <= size; from += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + from));
        const __m128i hits = (_mm_cmpeq_epi8(chunk, _mm_set1_epi8(wanted)) | ...);
        if (const int mask = _mm_movemask_epi8(hits))
            return from + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
    }
#endif
    for (; from < size; ++from)
        if (((data[from] == wanted) || ...))
            return from;
    return size;
}
