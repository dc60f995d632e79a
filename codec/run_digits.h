// Runs of move-to-front position 0 are written as digits in bijective base
// two, least significant first: symbol 256 is digit one, 257 digit two.
#pragma once

#include <cstdint>

namespace codec {

inline constexpr int kRunDigitOne = 256;
inline constexpr int kRunDigitTwo = 257;

// Calls emit(symbol) for each digit of a run of `length` (nothing for 0).
template <class Emit>
void for_each_run_digit(std::uint32_t length, Emit&& emit) {
  while (length > 0) {
    --length;
    emit(kRunDigitOne + static_cast<int>(length & 1));
    length >>= 1;
  }
}

}  // namespace codec
