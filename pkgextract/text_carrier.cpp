#include "pkgextract/text_carrier.h"

namespace pkgx {
namespace {

std::uint8_t value_of(char c) { return static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) - 32); }
std::uint8_t low6(char c) { return static_cast<std::uint8_t>(c) & 0x3F; }

}  // namespace

std::uint16_t add_unit_to_checksum(std::uint16_t checksum, std::span<const char, kTextUnit> unit) {
  std::uint32_t cs = checksum;
  for (int j = 84; j >= 0; --j) cs = ((cs * 61) & 0xFFFF) ^ value_of(unit[static_cast<std::size_t>(j)]);
  return static_cast<std::uint16_t>(cs);
}

void unit_to_bytes(std::span<const char, kTextUnit> unit, std::span<std::uint8_t, kTextUnitBytes> out) {
  for (std::size_t g = 0; g < 21; ++g) {
    const std::uint8_t a = value_of(unit[4 * g]), b = value_of(unit[4 * g + 1]),
                       c = value_of(unit[4 * g + 2]), d = value_of(unit[4 * g + 3]);
    out[3 * g] = static_cast<std::uint8_t>(a * 4 + (b & 3));
    out[3 * g + 1] = static_cast<std::uint8_t>((b & 0x3C) * 4 + (c & 0x0F));
    out[3 * g + 2] = static_cast<std::uint8_t>(((c & 0x30) * 4) | d);
  }
  out[63] = static_cast<std::uint8_t>(value_of(unit[84]) * 4 + (value_of(unit[85]) & 3));
}

void line_number_digits(long line, char out[5]) {
  long n = line % 100000;
  for (int i = 4; i >= 0; --i) {
    out[i] = static_cast<char>('0' + n % 10);
    n /= 10;
  }
}

TextConversion TextDecoder::convert(std::span<const char> text, std::size_t max_units,
                                    std::vector<std::uint8_t>& out) {
  TextConversion r;
  std::size_t i = 0;
  while (text.size() - i >= kTextUnit && r.units < max_units) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) < 32) {
      checksum_ &= 0xFFF;
      ++controls_;
      header_left_ = kLineHeaderSize;
      ++i;
      continue;
    }
    if (header_left_ > 0) {
      const std::size_t position = kLineHeaderSize - header_left_;  // 0 to 7
      if (position < 5) {
        char digits[5];
        line_number_digits(expected_line(), digits);
        if (low6(c) != low6(digits[position])) {
          r.error = TextError::kLineMissing;
          break;
        }
      } else if (position == 6 || position == 7) {
        const std::uint8_t mask = position == 6 ? kCheckMask1 : kCheckMask2;
        if (low6(c) != ((checksum_ & 0x3F) ^ mask)) {
          r.error = TextError::kCheckFailed;
          break;
        }
        checksum_ >>= 6;
      }
      --header_left_;
      ++i;
      continue;
    }
    const auto unit = text.subspan(i).first<kTextUnit>();
    checksum_ = add_unit_to_checksum(static_cast<std::uint16_t>(checksum_), unit);
    const std::size_t at = out.size();
    out.resize(at + kTextUnitBytes);
    unit_to_bytes(unit, std::span(out).subspan(at).first<kTextUnitBytes>());
    ++r.units;
    i += kTextUnit;
  }
  r.consumed = i;
  r.line = expected_line();
  return r;
}

}  // namespace pkgx
