// The whole input is the value handed to the bitmap reader.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "blockio32/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A heap copy of exactly the value's size, so that any overrun is caught.
  std::vector<std::uint8_t> value(data, data + size);
  const auto layout = blockio::read_bitmap_layout(value);
  if (!layout) return 0;
  if (layout->row_length == 0 || layout->row_length > layout->stride) std::abort();
  blockio::invert_bitmap(value, *layout);
  unsigned sum = 0;  // reading every row byte lets the sanitizer check the bounds
  for (std::uint32_t row = 0; row < layout->height; ++row) {
    const std::uint8_t* pixels = value.data() + layout->row_offset(row);
    for (std::uint32_t i = 0; i < layout->row_length; ++i) sum += pixels[i];
    // Bits past the width are clear after the inversion.
    if (layout->width % 8 != 0 &&
        (pixels[layout->row_length - 1] & (0xFFu >> (layout->width % 8))) != 0)
      std::abort();
  }
  volatile unsigned keep = sum;
  (void)keep;
  return 0;
}
