#include "vBigEndian.h"

#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VEMORA_HAVE_AVX2_PATH 1
#endif

namespace
{
uint16_t Turn(uint16_t v)
{
  return __builtin_bswap16(v);
}
uint32_t Turn(uint32_t v)
{
  return __builtin_bswap32(v);
}
uint64_t Turn(uint64_t v)
{
  return __builtin_bswap64(v);
}

/** The plain loop, from value `first` on; memcpy keeps unaligned buffers well defined. */
template <typename T>
void CopyPlain(char* to, const char* from, size_t first, size_t count)
{
  for (size_t i = first; i < count; ++i)
  {
    T v;
    std::memcpy(&v, from + i * sizeof(T), sizeof(T));
    v = Turn(v);
    std::memcpy(to + i * sizeof(T), &v, sizeof(T));
  }
}

/** The plain narrowing loop from value `first` on; returns the largest value seen. */
uint64_t NarrowPlain(int32_t* to, const char* from, size_t first, size_t count)
{
  uint64_t largest = 0;
  for (size_t i = first; i < count; ++i)
  {
    uint64_t v;
    std::memcpy(&v, from + i * 8, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    largest = v > largest ? v : largest;
    to[i] = static_cast<int32_t>(v);
  }
  return largest;
}

#ifdef VEMORA_HAVE_AVX2_PATH
bool HasAvx2()
{
  static const bool has = __builtin_cpu_supports("avx2") != 0;
  return has;
}

/**
 * Byte orders reversed within each value of `size` bytes, 32 bytes at a time; returns how many
 * values were done (the rest is left to the plain loop).
 */
__attribute__((target("avx2"))) size_t CopyAvx2(char* to, const char* from, size_t count, int size)
{
  // Byte i of the result is byte `order[i]` of the same 16-byte lane of the input.
  alignas(32) char order[32];
  for (int i = 0; i < 32; ++i)
  {
    const int lane = i % 16;
    order[i] = static_cast<char>(lane - lane % size + size - 1 - lane % size);
  }
  const __m256i shuffle = _mm256_load_si256(reinterpret_cast<const __m256i*>(order));
  const size_t bytes = count * static_cast<size_t>(size);
  size_t done = 0;
  for (; done + 32 <= bytes; done += 32)
  {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + done));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + done), _mm256_shuffle_epi8(v, shuffle));
  }
  return done / static_cast<size_t>(size);
}

/**
 * Four values at a time: one shuffle puts each value's low half (turned) first in its lane and
 * the high halves after them, a permutation gathers the four low halves. Returns how many values
 * were done; `largest` gets the largest value among them.
 */
__attribute__((target("avx2"))) size_t NarrowAvx2(int32_t* to,
  const char* from,
  size_t count,
  uint64_t& largest)
{
  // Per 16-byte lane of two values: their low halves (turned) first, then their high halves.
  alignas(32) char order[32];
  for (int i = 0; i < 32; ++i)
  {
    const int lane = i % 16;
    const int value = (lane % 8) / 4; // the first or the second value of the lane
    const int byte = lane % 4;
    order[i] = static_cast<char>(8 * value + (lane < 8 ? 7 : 3) - byte);
  }
  const __m256i shuffle = _mm256_load_si256(reinterpret_cast<const __m256i*>(order));
  __m128i lowMax = _mm_setzero_si128();
  __m128i highAny = _mm_setzero_si128();
  size_t done = 0;
  for (; done + 4 <= count; done += 4)
  {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + done * 8));
    // [lo0 lo1 hi0 hi1 | lo2 lo3 hi2 hi3] -> [lo0 lo1 lo2 lo3 | hi0 hi1 hi2 hi3]
    const __m256i halves = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, shuffle), 0xD8);
    const __m128i low = _mm256_castsi256_si128(halves);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + done), low);
    lowMax = _mm_max_epu32(lowMax, low);
    highAny = _mm_or_si128(highAny, _mm256_extracti128_si256(halves, 1));
  }
  uint32_t lows[4];
  uint32_t highs[4];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lows), lowMax);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(highs), highAny);
  uint64_t high = 0;
  uint64_t low = 0;
  for (int i = 0; i < 4; ++i)
  {
    high |= highs[i];
    low = lows[i] > low ? lows[i] : low;
  }
  // Any high bit makes the value at least 2^32: what matters is only that it is that large.
  largest = high ? (uint64_t(high) << 32) | low : low;
  return done;
}
#endif
} // namespace

void vBigEndian::Copy(void* to, const void* from, size_t count, int size)
{
  auto* out = static_cast<char*>(to);
  const auto* in = static_cast<const char*>(from);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (size == 2 || size == 4 || size == 8)
  {
    size_t done = 0;
#ifdef VEMORA_HAVE_AVX2_PATH
    if (HasAvx2())
    {
      done = CopyAvx2(out, in, count, size);
    }
#endif
    switch (size)
    {
      case 2:
        CopyPlain<uint16_t>(out, in, done, count);
        return;
      case 4:
        CopyPlain<uint32_t>(out, in, done, count);
        return;
      default:
        CopyPlain<uint64_t>(out, in, done, count);
        return;
    }
  }
#endif
  std::memmove(out, in, count * static_cast<size_t>(size));
}

bool vBigEndian::Narrow(int32_t* to, const void* from, size_t count, uint64_t limit)
{
  const auto* in = static_cast<const char*>(from);
  size_t done = 0;
  uint64_t largest = 0;
#if defined(VEMORA_HAVE_AVX2_PATH) && defined(__BYTE_ORDER__) &&                                   \
  __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (HasAvx2())
  {
    done = NarrowAvx2(to, in, count, largest);
  }
#endif
  const uint64_t rest = NarrowPlain(to, in, done, count);
  largest = rest > largest ? rest : largest;
  return count == 0 || largest < limit;
}
