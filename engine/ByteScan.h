#pragma once

// Finding bytes in large buffers 64 at a time: the scans that line reading runs on.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TUS2WF_HAVE_SSE2 1
#endif

namespace tus2wf::scan {

inline constexpr std::size_t kBlock = 64;
inline constexpr std::size_t kChunk = 64 * kBlock;

// One mask for each of the bytes in targets: bit i of mask k is set when byte block + i equals
// targets[k]. Bytes at or beyond size match nothing. Scripts have ten million short lines, so
// this is the loop everything runs on.
template <std::size_t N>
inline std::array<std::uint64_t, N> matchBits(const char* bytes, std::size_t block,
                                              std::size_t size,
                                              const std::array<char, N>& targets) {
    const char* p = bytes + block;
    std::array<std::uint64_t, N> bits{};
#ifdef TUS2WF_HAVE_SSE2
    if (block + kBlock <= size) {
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
            for (std::size_t k = 0; k < N; ++k) {
                const auto found = static_cast<std::uint32_t>(
                    _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(targets[k]))));
                bits[k] |= std::uint64_t{found} << (16 * part);
            }
        }
        return bits;
    }
#endif
    const std::size_t end = std::min(kBlock, size - block);
    for (std::size_t i = 0; i < end; ++i) {
        for (std::size_t k = 0; k < N; ++k) {
            bits[k] |= std::uint64_t{p[i] == targets[k]} << i;
        }
    }
    return bits;
}

// The bits of matchBits() for the one byte C, known when compiled, so that no loop spends
// time on making the pattern it compares with.
template <char C>
inline std::uint64_t byteBits(const char* bytes, std::size_t block, std::size_t size) {
    return matchBits<1>(bytes, block, size, {C})[0];
}

inline std::size_t lowestBit(std::uint64_t bits) {
    return static_cast<std::size_t>(std::countr_zero(bits));
}

// Bit i set for every i at or above from, which is below kBlock.
inline std::uint64_t bitsFrom(std::size_t from) {
    return ~std::uint64_t{0} << from;
}

// Bit i set for every i below to, which is at most kBlock.
inline std::uint64_t bitsBelow(std::size_t to) {
    return to == 0 ? 0 : ~std::uint64_t{0} >> (kBlock - to);
}

// The bit of the n-th set bit (from 0) of bits, which has more than n of them.
inline unsigned nthBit(std::uint64_t bits, unsigned n) {
    for (; n > 0; --n) {
        bits &= bits - 1;
    }
    return static_cast<unsigned>(std::countr_zero(bits));
}

// How many bytes C the kChunk bytes at p hold.
template <char C>
inline std::int64_t chunkCount(const char* p) {
#ifdef TUS2WF_HAVE_SSE2
    // Each byte lane counts down once per match (a match is -1); kChunk / kBlock steps cannot
    // overflow it, and the sums of absolute differences from zero add the lanes up.
    static_assert(kChunk / kBlock < 256);
    const __m128i target = _mm_set1_epi8(C);
    __m128i lanes[4] = {};
    for (std::size_t block = 0; block < kChunk; block += kBlock) {
        for (int part = 0; part < 4; ++part) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + block + 16 * part));
            lanes[part] = _mm_sub_epi8(lanes[part], _mm_cmpeq_epi8(chunk, target));
        }
    }
    __m128i total = _mm_setzero_si128();
    for (const __m128i& lane : lanes) {
        total = _mm_add_epi64(total, _mm_sad_epu8(lane, _mm_setzero_si128()));
    }
    return _mm_cvtsi128_si64(total) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total));
#else
    return std::count(p, p + kChunk, C);
#endif
}

}  // namespace tus2wf::scan
