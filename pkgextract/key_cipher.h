// The archive cipher: 64-byte units, each deciphered with a running state
// that the set bits of the enciphered unit move through a key-drawn table.
// The table and the start state come from a lagged additive generator
// seeded with the key's bits.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace pkgx {

inline constexpr std::size_t kCipherUnit = 64;

// Additive generator over 103 words: each draw adds to one word the
// exclusive-or of five words a little above it.
class KeyGenerator {
 public:
  // Seeds from the low four bits of each key byte and runs the generator in.
  explicit KeyGenerator(std::span<const std::uint8_t> key);
  std::uint32_t draw();

 private:
  std::array<std::uint32_t, 103> words_{};
  int position_ = 0;
};

class KeyCipher {
 public:
  // `key` must not be empty.
  explicit KeyCipher(std::string_view key);

  void decipher(std::span<std::uint8_t, kCipherUnit> unit);
  // The inverse, for writers of archives.
  void encipher(std::span<std::uint8_t, kCipherUnit> unit);

 private:
  using Words = std::array<std::uint32_t, 16>;
  void advance(const Words& enciphered);

  std::array<Words, 512> table_{};
  Words state_{};
};

}  // namespace pkgx
