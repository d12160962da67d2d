#include "vBigEndian.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace
{
/** `count` values of `size` bytes in big-endian order, and what they are in the machine's order. */
struct vValues
{
  std::vector<unsigned char> Big;
  std::vector<unsigned char> Native;
};

vValues Make(size_t count, int size, std::mt19937& random)
{
  vValues values;
  values.Big.resize(count * size);
  values.Native.resize(count * size);
  for (size_t i = 0; i < count; ++i)
  {
    for (int b = 0; b < size; ++b)
    {
      const auto byte = static_cast<unsigned char>(random());
      values.Big[i * size + b] = byte;
      // Big-endian byte b is the machine's byte (size - 1 - b) on a little-endian machine.
      values.Native[i * size + (size - 1 - b)] = byte;
    }
  }
  return values;
}

std::vector<unsigned char> BigEndian64(const std::vector<uint64_t>& values)
{
  std::vector<unsigned char> bytes;
  for (uint64_t v : values)
  {
    for (int b = 7; b >= 0; --b)
    {
      bytes.push_back(static_cast<unsigned char>(v >> (8 * b)));
    }
  }
  return bytes;
}
} // namespace

// Every length around the 32-byte steps of the fast path, from buffers at odd addresses, for
// each value size: the same bytes as turning each value by hand.
TEST(BigEndian, CopyTurnsEveryValueAtEveryLengthAndOffset)
{
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
  GTEST_SKIP() << "values are copied as they are on a big-endian machine";
#endif
  std::mt19937 random(7);
  for (int size : { 2, 4, 8 })
  {
    for (size_t count = 0; count < 70; ++count)
    {
      for (size_t offset : { 0, 1, 3 })
      {
        const vValues values = Make(count, size, random);
        std::vector<unsigned char> from(offset + values.Big.size());
        std::copy(values.Big.begin(), values.Big.end(), from.begin() + offset);
        std::vector<unsigned char> to(offset + values.Big.size() + 1, 0xAB);
        vBigEndian::Copy(to.data() + offset, from.data() + offset, count, size);
        EXPECT_TRUE(std::equal(values.Native.begin(), values.Native.end(), to.begin() + offset))
          << "size " << size << ", count " << count << ", offset " << offset;
        EXPECT_EQ(to.back(), 0xAB) << "wrote past the end: size " << size << ", count " << count;
      }
    }
  }
  // Single bytes are copied as they are.
  const unsigned char bytes[3] = { 1, 2, 3 };
  unsigned char copy[3] = { 0, 0, 0 };
  vBigEndian::Copy(copy, bytes, 3, 1);
  EXPECT_EQ(std::memcmp(bytes, copy, 3), 0);
}

TEST(BigEndian, NarrowKeepsTheValuesAndFindsAnyOneOutOfRange)
{
  const uint64_t limit = 1000;
  for (size_t count = 1; count < 40; ++count)
  {
    std::vector<uint64_t> values(count);
    for (size_t i = 0; i < count; ++i)
    {
      values[i] = (i * 37) % limit;
    }
    std::vector<int32_t> out(count + 1, -7);
    ASSERT_TRUE(vBigEndian::Narrow(out.data(), BigEndian64(values).data(), count, limit));
    for (size_t i = 0; i < count; ++i)
    {
      ASSERT_EQ(out[i], static_cast<int32_t>(values[i])) << "count " << count << ", value " << i;
    }
    EXPECT_EQ(out[count], -7) << "wrote past the end";
    // One bad value anywhere, in the four-at-a-time part or the rest: just at the limit, with
    // only a high bit set (its low half is small), and negative.
    for (size_t at = 0; at < count; ++at)
    {
      for (uint64_t bad : { limit, (uint64_t(1) << 40) | 5, static_cast<uint64_t>(-1) })
      {
        std::vector<uint64_t> damaged = values;
        damaged[at] = bad;
        EXPECT_FALSE(vBigEndian::Narrow(out.data(), BigEndian64(damaged).data(), count, limit))
          << "count " << count << ", bad value " << bad << " at " << at;
      }
    }
  }
  // The largest allowed value passes; nothing to read always fits.
  const std::vector<unsigned char> last = BigEndian64({ limit - 1 });
  int32_t value = 0;
  EXPECT_TRUE(vBigEndian::Narrow(&value, last.data(), 1, limit));
  EXPECT_EQ(value, static_cast<int32_t>(limit - 1));
  EXPECT_TRUE(vBigEndian::Narrow(nullptr, nullptr, 0, limit));
  const std::vector<unsigned char> big = BigEndian64({ uint64_t(1) << 31 });
  EXPECT_FALSE(vBigEndian::Narrow(&value, big.data(), 1, uint64_t(1) << 31));
}
