// One-bit-per-pixel bitmaps held as the bytes of a BMP file: where the rows
// are, and the inversion that makes set bits mark dark pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace blockio {

// Where the pixel rows of a bitmap lie inside its bytes.
struct BitmapLayout {
  std::uint32_t pixel_offset = 0;  // from the start of the file
  std::uint32_t width = 0;         // pixels
  std::uint32_t height = 0;        // rows, in stored order (bottom-up files: row 0 at the bottom)
  std::uint32_t row_length = 0;    // bytes of pixels in a row: ceil(width / 8)
  std::uint32_t stride = 0;        // bytes from one row to the next: a multiple of 4

  std::size_t row_offset(std::uint32_t row) const {
    return std::size_t{pixel_offset} + std::size_t{row} * stride;
  }
};

// Reads the pixel offset, width and height from the file and info headers.
// Nullopt unless the headers are present, width and height are positive and
// every byte of every row lies inside `bitmap`, so that whatever layout
// comes back can be walked without further checks.
std::optional<BitmapLayout> read_bitmap_layout(std::span<const std::uint8_t> bitmap);

// Complements every pixel byte of every row and clears the bits past the
// width in the last byte of each row. `layout` must come from
// read_bitmap_layout(bitmap).
void invert_bitmap(std::span<std::uint8_t> bitmap, const BitmapLayout& layout);

}  // namespace blockio
