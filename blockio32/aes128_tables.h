// The cipher's constant tables, computed at compile time from their
// definitions in the field GF(2^8) with the polynomial x^8 + x^4 + x^3 + x + 1.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace blockio::aes_tables {

using ByteTable = std::array<std::uint8_t, 256>;
using WordTable = std::array<std::uint32_t, 256>;

constexpr std::uint8_t times_two(std::uint8_t x) {
  return static_cast<std::uint8_t>((x << 1) ^ ((x & 0x80) != 0 ? 0x1B : 0));
}

constexpr std::uint8_t multiply(std::uint8_t a, std::uint8_t b) {
  std::uint8_t product = 0;
  for (; b != 0; b >>= 1, a = times_two(a))
    if ((b & 1) != 0) product ^= a;
  return product;
}

constexpr std::uint8_t rotate_left(std::uint8_t x, int n) {
  return static_cast<std::uint8_t>((x << n) | (x >> (8 - n)));
}

// SubBytes: the multiplicative inverse (0 for 0) followed by the affine map.
constexpr ByteTable make_sbox() {
  // Powers of the generator 3 give every non-zero element; the inverse of
  // 3^i is 3^(255 - i).
  ByteTable power{};
  ByteTable log{};
  std::uint8_t x = 1;
  for (int i = 0; i < 255; ++i) {
    power[i] = x;
    log[x] = static_cast<std::uint8_t>(i);
    x = multiply(x, 3);
  }
  ByteTable box{};
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t inverse = v == 0 ? 0 : power[(255 - log[v]) % 255];
    box[v] = static_cast<std::uint8_t>(inverse ^ rotate_left(inverse, 1) ^
                                       rotate_left(inverse, 2) ^ rotate_left(inverse, 3) ^
                                       rotate_left(inverse, 4) ^ 0x63);
  }
  return box;
}

constexpr ByteTable invert(const ByteTable& box) {
  ByteTable inverse{};
  for (int v = 0; v < 256; ++v) inverse[box[v]] = static_cast<std::uint8_t>(v);
  return inverse;
}

inline constexpr ByteTable kSbox = make_sbox();
inline constexpr ByteTable kInverseSbox = invert(kSbox);
inline constexpr std::array<std::uint8_t, 10> kRoundConstants = {0x01, 0x02, 0x04, 0x08, 0x10,
                                                                 0x20, 0x40, 0x80, 0x1B, 0x36};

// Spot checks against the published tables.
static_assert(kSbox[0x00] == 0x63 && kSbox[0x01] == 0x7C && kSbox[0x53] == 0xED &&
              kSbox[0xFF] == 0x16);
static_assert(kInverseSbox[0x00] == 0x52 && kInverseSbox[0xFF] == 0x7D);

constexpr std::uint32_t word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return std::uint32_t{b0} << 24 | std::uint32_t{b1} << 16 | std::uint32_t{b2} << 8 | b3;
}

// One round's SubBytes and MixColumns for one state byte: the column it
// contributes when it sits in row 0; rows 1 to 3 use the table rotated by
// 8, 16 and 24 bits.
constexpr WordTable make_encrypt_table(int rotation) {
  WordTable table{};
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t s = kSbox[v];
    table[v] = std::rotr(word(multiply(s, 2), s, s, multiply(s, 3)), rotation);
  }
  return table;
}

// The same for InvSubBytes and InvMixColumns (factors 14, 9, 13, 11).
constexpr WordTable make_decrypt_table(int rotation) {
  WordTable table{};
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t s = kInverseSbox[v];
    table[v] = std::rotr(
        word(multiply(s, 14), multiply(s, 9), multiply(s, 13), multiply(s, 11)), rotation);
  }
  return table;
}

inline constexpr std::array<WordTable, 4> kEncrypt = {
    make_encrypt_table(0), make_encrypt_table(8), make_encrypt_table(16), make_encrypt_table(24)};
inline constexpr std::array<WordTable, 4> kDecrypt = {
    make_decrypt_table(0), make_decrypt_table(8), make_decrypt_table(16), make_decrypt_table(24)};

static_assert(kEncrypt[0][0x00] == 0xC66363A5 && kDecrypt[0][0x00] == 0x51F4A750);

}  // namespace blockio::aes_tables
