// The bitmap reader: which values are walkable, the inversion, and BmapOpen
// and BmapRow through the host, nested.
#include <gtest/gtest.h>

#include <random>

#include "blockio32/bitmap.h"
#include "host/host.h"

namespace {

using host::Bytes;

constexpr std::uint32_t kHeaders = 62;  // file and info headers, two colours

void put_u32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A one-bit bitmap with random pixels and padding; `bytes` overrides its size.
Bytes make_bitmap(std::int32_t width, std::int32_t height, std::uint32_t seed = 1,
                  std::optional<std::size_t> bytes = std::nullopt) {
  const std::size_t stride = (static_cast<std::size_t>(std::max(width, 0)) + 31) / 32 * 4;
  Bytes b(bytes.value_or(kHeaders + stride * static_cast<std::size_t>(std::max(height, 0))));
  std::mt19937 rng(seed);
  for (auto& byte : b) byte = static_cast<std::uint8_t>(rng());
  if (b.size() >= 26) {
    b[0] = 'B', b[1] = 'M';
    put_u32(b, 10, kHeaders);
    put_u32(b, 18, static_cast<std::uint32_t>(width));
    put_u32(b, 22, static_cast<std::uint32_t>(height));
  }
  return b;
}

TEST(BitmapLayout, RefusesValuesWhoseRowsDoNotFit) {
  Bytes far_pixels = make_bitmap(8, 1);
  put_u32(far_pixels, 10, static_cast<std::uint32_t>(far_pixels.size() + 1));
  Bytes wrapping = make_bitmap(8, 2);
  put_u32(wrapping, 10, 0xFFFFFFF0u);  // would wrap around in 32 bits
  const struct {
    const char* name;
    Bytes value;
  } refused[] = {
      {"empty", {}},
      {"headers cut short", make_bitmap(8, 1, 1, 25)},
      {"width 0", make_bitmap(0, 1, 1, 80)},
      {"negative width", make_bitmap(-8, 1, 1, 80)},
      {"height 0", make_bitmap(8, 0, 1, 80)},
      {"negative height", make_bitmap(8, -1, 1, 80)},
      {"pixel offset past the value", far_pixels},
      {"offset that wraps", wrapping},
      {"last row one byte short", make_bitmap(9, 3, 1, kHeaders + 2 * 4 + 1)},
      {"huge height", make_bitmap(8, 0x7FFFFFFF, 1, 200)},
      {"huge width", make_bitmap(0x7FFFFFFF, 1, 1, 200)},
  };
  for (const auto& c : refused) EXPECT_FALSE(blockio::read_bitmap_layout(c.value)) << c.name;

  // The last row needs its pixels, not its padding.
  const auto layout = blockio::read_bitmap_layout(make_bitmap(9, 3, 1, kHeaders + 2 * 4 + 2));
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->row_length, 2u);
  EXPECT_EQ(layout->stride, 4u);
  EXPECT_EQ(layout->row_offset(2), kHeaders + 8u);
}

TEST(BitmapInversion, ComplementsPixelsAndClearsBitsPastTheWidth) {
  const struct {
    std::int32_t width;
    std::uint32_t row_length, stride;
    std::uint8_t last_mask;
  } cases[] = {
      {9, 2, 4, 0x80},  // the second byte keeps only its top bit
      {32, 4, 4, 0xFF}, // no bits cleared
      {1, 1, 4, 0x80},
      {15, 2, 4, 0xFE},
      {33, 5, 8, 0x80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    const Bytes before = make_bitmap(c.width, 3);
    Bytes after = before;
    const auto layout = blockio::read_bitmap_layout(after);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->row_length, c.row_length);
    EXPECT_EQ(layout->stride, c.stride);
    blockio::invert_bitmap(after, *layout);
    Bytes expected = before;
    for (std::uint32_t row = 0; row < 3; ++row) {
      const std::size_t start = kHeaders + row * c.stride;
      for (std::size_t i = start; i < start + c.row_length; ++i)
        expected[i] = static_cast<std::uint8_t>(~before[i]);
      expected[start + c.row_length - 1] &= c.last_mask;
    }
    EXPECT_EQ(after, expected) << "headers and row padding stay as they were";
  }
}

// --- through the host -----------------------------------------------------------

class BitmapSubroutines : public ::testing::Test {
 protected:
  void SetUp() override { host.load(std::string(TW_LIB_DIR) + "/blockio32a.so"); }

  // BmapRow as the script calls it from inside a block.
  static host::CallOutcome row(host::ActiveCall& call, std::uint32_t index) {
    return call.nested("BmapRow").integer(static_cast<std::int32_t>(index)).run();
  }

  static Bytes row_bytes(const Bytes& bitmap, std::uint32_t stride, std::uint32_t length,
                         std::uint32_t index) {
    const auto start = bitmap.begin() + kHeaders + index * stride;
    return Bytes(start, start + length);
  }

  host::Host host;
};

TEST_F(BitmapSubroutines, HandsBackTheInvertedBitmapAndItsRows) {
  const Bytes original = make_bitmap(9, 3, 4);
  Bytes inverted = original;
  blockio::invert_bitmap(inverted, *blockio::read_bitmap_layout(inverted));

  const auto out = host.call("BmapOpen").value(original).on_result([&](host::ActiveCall& call) {
    EXPECT_EQ(call.current_buffer(), inverted);
    for (std::uint32_t i = 0; i < 3; ++i) {
      const auto r = row(call, i);
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.value, row_bytes(inverted, 4, 2, i)) << "row " << i;
    }
    const auto past = call.nested("BmapRow").integer(3).value(Bytes{7}).run();
    EXPECT_EQ(past.status, 2) << "the row at the height";
    EXPECT_EQ(past.value, Bytes{7}) << "changes nothing";
    EXPECT_TRUE(past.errors.empty());
    EXPECT_EQ(row(call, 0xFFFFFFFFu).status, 2) << "the index is unsigned";
    return 5;
  }).run();
  EXPECT_EQ(out.status, 5);
  EXPECT_EQ(out.numeric, std::vector<std::int32_t>{2});
  EXPECT_EQ(out.value, inverted) << "inverted in place";
  EXPECT_EQ(out.handoffs.size(), 1u);
  EXPECT_TRUE(out.errors.empty());
  EXPECT_EQ(out.leaked, 0u);
  EXPECT_TRUE(out.memory_faults.empty());
}

TEST_F(BitmapSubroutines, NestedOpenAddressesTheInnerBitmapUntilItReturns) {
  const Bytes outer = make_bitmap(9, 2, 5), inner = make_bitmap(32, 1, 6);
  Bytes outer_inverted = outer, inner_inverted = inner;
  blockio::invert_bitmap(outer_inverted, *blockio::read_bitmap_layout(outer_inverted));
  blockio::invert_bitmap(inner_inverted, *blockio::read_bitmap_layout(inner_inverted));

  host.call("BmapOpen").value(outer).on_result([&](host::ActiveCall& call) {
    EXPECT_EQ(row(call, 1).value, row_bytes(outer_inverted, 4, 2, 1));
    const auto nested = call.nested("BmapOpen").value(inner).on_result([&](host::ActiveCall& in) {
      EXPECT_EQ(row(in, 0).value, row_bytes(inner_inverted, 4, 4, 0));
      EXPECT_EQ(row(in, 1).status, 2) << "the inner bitmap has one row";
      return 0;
    }).run();
    EXPECT_EQ(nested.numeric, std::vector<std::int32_t>{4});
    EXPECT_EQ(row(call, 1).value, row_bytes(outer_inverted, 4, 2, 1)) << "the outer one is back";
    return 0;
  }).run();

  EXPECT_EQ(host.call("BmapRow").integer(0).run().status, 2) << "no bitmap is open any more";
}

TEST_F(BitmapSubroutines, RefusedValueRunsNoBlockAndStaysAsItWas) {
  for (const Bytes& value : {make_bitmap(0, 3), make_bitmap(9, 3, 1, kHeaders + 9), Bytes(10, 0)}) {
    bool ran = false;
    const auto out = host.call("BmapOpen").value(value).on_result([&](host::ActiveCall&) {
      ran = true;
      return 0;
    }).run();
    EXPECT_EQ(out.errors, std::vector<std::int32_t>{66});
    EXPECT_EQ(out.status, 2) << "the status slot 41 produced";
    EXPECT_FALSE(ran);
    EXPECT_TRUE(out.numeric.empty());
    EXPECT_EQ(out.value, value);
  }
}

}  // namespace
