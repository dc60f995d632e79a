#include "blockio32/bitmap.h"

namespace blockio {
namespace {

// File header (14 bytes) then the info header.
constexpr std::size_t kPixelOffsetField = 10;
constexpr std::size_t kWidthField = 18;
constexpr std::size_t kHeightField = 22;
constexpr std::size_t kHeadersNeeded = kHeightField + 4;

std::uint32_t read_u32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8 |
         std::uint32_t{bytes[at + 2]} << 16 | std::uint32_t{bytes[at + 3]} << 24;
}

std::int32_t read_i32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::int32_t>(read_u32(bytes, at));
}

}  // namespace

std::optional<BitmapLayout> read_bitmap_layout(std::span<const std::uint8_t> bitmap) {
  if (bitmap.size() < kHeadersNeeded) return std::nullopt;
  const std::int32_t width = read_i32(bitmap, kWidthField);
  const std::int32_t height = read_i32(bitmap, kHeightField);
  if (width <= 0 || height <= 0) return std::nullopt;

  BitmapLayout layout;
  layout.pixel_offset = read_u32(bitmap, kPixelOffsetField);
  layout.width = static_cast<std::uint32_t>(width);
  layout.height = static_cast<std::uint32_t>(height);
  layout.row_length = (layout.width + 7) / 8;
  // (width + 31) / 32 * 4 without overflowing for the widest widths.
  layout.stride = static_cast<std::uint32_t>((std::uint64_t{layout.width} + 31) / 32 * 4);

  // The last byte any row touches must lie inside the value.
  const std::uint64_t end = std::uint64_t{layout.pixel_offset} +
                            std::uint64_t{layout.height - 1} * layout.stride + layout.row_length;
  if (end > bitmap.size()) return std::nullopt;
  return layout;
}

void invert_bitmap(std::span<std::uint8_t> bitmap, const BitmapLayout& layout) {
  const unsigned spare_bits = (8 - layout.width % 8) % 8;
  const auto keep_mask = static_cast<std::uint8_t>(0xFF << spare_bits);
  for (std::uint32_t row = 0; row < layout.height; ++row) {
    const auto pixels = bitmap.subspan(layout.row_offset(row), layout.row_length);
    for (auto& byte : pixels) byte = static_cast<std::uint8_t>(~byte);
    pixels.back() &= keep_mask;
  }
}

}  // namespace blockio
