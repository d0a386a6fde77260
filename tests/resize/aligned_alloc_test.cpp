#include "prim/resize/aligned_alloc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

bool Aligned32(const void* p) {
  return reinterpret_cast<std::uintptr_t>(p) % 32 == 0;
}

TEST(AlignedAlloc, CountsBelowOneGiveNull) {
  for (std::int32_t n : {0, -1, INT32_MIN}) {
    EXPECT_EQ(AlignedAlloc8u(n), nullptr) << n;
    EXPECT_EQ(AlignedAlloc16s(n), nullptr) << n;
    EXPECT_EQ(AlignedAlloc32(n), nullptr) << n;
    EXPECT_EQ(AlignedAlloc32_Sse3(n), nullptr) << n;
  }
  AlignedFree(nullptr);  // no effect
}

TEST(AlignedAlloc, BlocksAreAlignedAndHoldTheirElements) {
  for (std::int32_t n : {1, 2, 3, 31, 32, 33, 1000, 4097}) {
    std::uint8_t* b8 = AlignedAlloc8u(n);
    std::int16_t* b16 = AlignedAlloc16s(n);
    void* b32 = AlignedAlloc32(n);
    void* b32s = AlignedAlloc32_Sse3(n);
    ASSERT_NE(b8, nullptr);
    ASSERT_NE(b16, nullptr);
    ASSERT_NE(b32, nullptr);
    ASSERT_NE(b32s, nullptr);
    EXPECT_TRUE(Aligned32(b8) && Aligned32(b16) && Aligned32(b32) && Aligned32(b32s)) << n;
    // Writing every element stays inside the block (checked by the sanitizer build).
    std::memset(b8, 0xA5, n);
    std::memset(b16, 0xA5, 2 * static_cast<std::size_t>(n));
    std::memset(b32, 0xA5, 4 * static_cast<std::size_t>(n));
    std::memset(b32s, 0xA5, 4 * static_cast<std::size_t>(n));
    AlignedFree(b8);
    AlignedFree(b16);
    AlignedFree(b32);
    AlignedFree(b32s);
  }
}

TEST(AlignedAlloc, TypedCountsPastTheLimitGiveNullInsteadOfASmallBlock) {
  EXPECT_FALSE(MakeAligned<float>(0));
  EXPECT_FALSE(MakeAligned<float>(-5));
  EXPECT_FALSE(MakeAligned<float>(std::int64_t{INT32_MAX} + 1));
  // 2^30 eight-byte elements need 2^31 words: above the 32-bit element count.
  EXPECT_FALSE(MakeAligned<std::uint64_t>(std::int64_t{1} << 30));
  auto ok = MakeAligned<std::uint64_t>(7);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(Aligned32(ok.get()));
  for (int i = 0; i < 7; ++i) {
    ok[i] = ~std::uint64_t{0};
  }
  // Each allocator counts in its own element: 2^30 two-byte elements are 2^31 bytes, past the
  // byte allocator's limit but within the 16-bit one's.
  EXPECT_FALSE(MakeAligned<std::uint16_t>(std::int64_t{1} << 30, kAligned8u));
  EXPECT_FALSE(MakeAligned<std::uint64_t>(std::int64_t{1} << 30, kAligned16s));
  for (const AlignedAllocator* allocator :
       {&kAligned8u, &kAligned16s, &kAligned32, &kAligned32Sse3}) {
    auto block = MakeAligned<std::uint16_t>(13, *allocator);  // 26 bytes: odd in 4-byte words
    ASSERT_TRUE(block);
    EXPECT_TRUE(Aligned32(block.get()));
    for (int i = 0; i < 13; ++i) {
      block[i] = 0xFFFF;
    }
  }
}

}  // namespace
