// AES-128 block cipher (FIPS-197): key expansion, the cipher, its inverse,
// and electronic-codebook mode over whole buffers.
//
//   Aes128::Schedule schedule;
//   Aes128::expand_key(key, schedule);
//   Aes128::encrypt(schedule, plain, cipher);   // whole 16-byte blocks
//
// Two engines give identical results: 32-bit table lookups, which run
// anywhere, and the processor's AES instructions, which run in constant time
// and are used by default wherever the processor has them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace blockio {

enum class AesEngine {
  kPortable,      // table lookups
  kInstructions,  // the processor's AES instructions
};

class Aes128 {
 public:
  static constexpr std::size_t kBlockSize = 16;
  static constexpr std::size_t kKeySize = 16;
  static constexpr std::size_t kRounds = 10;
  static constexpr std::size_t kScheduleWords = 4 * (kRounds + 1);

  // The expanded key: 11 round keys of four words. Each word holds four
  // schedule bytes with the first in its most significant byte, in the
  // machine's word order; this is the layout other libraries receive.
  using Schedule = std::array<std::uint32_t, kScheduleWords>;
  using ScheduleView = std::span<const std::uint32_t, kScheduleWords>;
  using Key = std::span<const std::uint8_t, kKeySize>;

  // Whether this processor can run `engine`.
  static bool has_engine(AesEngine engine);
  // The instructions where present, else the tables. Decided once.
  static AesEngine fastest_engine();

  // An engine this processor lacks falls back to the tables, so every
  // engine argument is safe to pass.
  static void expand_key(Key key, std::span<std::uint32_t, kScheduleWords> schedule,
                         AesEngine engine = fastest_engine());

  // Encrypts or decrypts every whole block of `in` into `out`, each block on
  // its own. Processes min(in.size(), out.size()) / 16 blocks; `in` and
  // `out` may be the same bytes.
  static void encrypt(ScheduleView schedule, std::span<const std::uint8_t> in,
                      std::span<std::uint8_t> out, AesEngine engine = fastest_engine());
  static void decrypt(ScheduleView schedule, std::span<const std::uint8_t> in,
                      std::span<std::uint8_t> out, AesEngine engine = fastest_engine());
};

}  // namespace blockio
