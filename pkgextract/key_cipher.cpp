#include "pkgextract/key_cipher.h"

#include <vector>

namespace pkgx {
namespace {

constexpr int kDrawsAfterSeeding = 6048;
constexpr int kDrawsBeforeTable = 64;

std::uint16_t next_seed(std::uint32_t s) { return static_cast<std::uint16_t>(20077u * s + 11u); }

std::uint32_t load_le(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

void store_le(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::span<const std::uint8_t> key_bytes(std::string_view key) {
  return {reinterpret_cast<const std::uint8_t*>(key.data()), key.size()};
}

}  // namespace

KeyGenerator::KeyGenerator(std::span<const std::uint8_t> key) {
  const std::size_t length = key.size();
  // The first key byte counts as signed.
  std::uint32_t s = next_seed(static_cast<std::uint32_t>(static_cast<std::int8_t>(key[0])));
  for (std::size_t n = 4 * length; n-- > 0;) {
    if (key[n / 4] >> (n % 4) & 1) {
      for (int i = 0; i < 5; ++i) {
        s = next_seed(s);
        words_[s % 96] ^= 1u;
      }
    }
    s = next_seed(s);
  }
  for (int i = 0; i < kDrawsAfterSeeding; ++i) draw();
}

std::uint32_t KeyGenerator::draw() {
  if (--position_ < 0) {
    position_ = 95;
    for (int i = 0; i < 7; ++i) words_[96 + i] = words_[i];
  }
  const auto* w = &words_[static_cast<std::size_t>(position_)];
  words_[static_cast<std::size_t>(position_)] = w[0] + (w[2] ^ w[3] ^ w[4] ^ w[6] ^ w[7]);
  return words_[static_cast<std::size_t>(position_)];
}

KeyCipher::KeyCipher(std::string_view key) {
  const auto k = key_bytes(key);
  KeyGenerator gen(k);
  for (int i = 0; i < kDrawsBeforeTable; ++i) gen.draw();
  for (auto& row : table_) {
    std::uint32_t a = 0;
    for (int i = 0; i < 32; ++i) {
      a <<= 1;
      const std::uint8_t b = k[gen.draw() % k.size()];
      const std::uint32_t d = gen.draw() % 32;
      if ((d == 0 && (b & 1)) || (d == 1 && (b & 2))) a += 1;
    }
    a <<= 1;
    for (std::size_t w = 0; w < 16; ++w) {
      row[w] = gen.draw() ^ a;
      state_[w] ^= row[w];
    }
  }
}

void KeyCipher::advance(const Words& enciphered) {
  for (std::size_t w = 0; w < 16; ++w) {
    std::uint32_t bits = enciphered[w];
    while (bits != 0) {
      const int bit = __builtin_ctz(bits);
      bits &= bits - 1;
      const Words& row = table_[w * 32 + static_cast<std::size_t>(bit)];
      for (std::size_t i = 0; i < 16; ++i) state_[i] ^= row[i];
    }
  }
}

void KeyCipher::decipher(std::span<std::uint8_t, kCipherUnit> unit) {
  Words c;
  for (std::size_t w = 0; w < 16; ++w) c[w] = load_le(unit.data() + 4 * w);
  for (std::size_t w = 0; w < 16; ++w) store_le(unit.data() + 4 * w, state_[w] ^ c[w]);
  advance(c);
}

void KeyCipher::encipher(std::span<std::uint8_t, kCipherUnit> unit) {
  Words c;
  for (std::size_t w = 0; w < 16; ++w) c[w] = state_[w] ^ load_le(unit.data() + 4 * w);
  for (std::size_t w = 0; w < 16; ++w) store_le(unit.data() + 4 * w, c[w]);
  advance(c);
}

}  // namespace pkgx
