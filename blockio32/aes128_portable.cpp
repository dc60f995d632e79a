// AES-128 with 32-bit table lookups: one lookup per state byte and round
// combines SubBytes, ShiftRows and MixColumns. Runs on any processor; its
// timing depends on the data through the cache, so the instruction engine is
// preferred wherever it exists.
#include <cstring>

#include "blockio32/aes128_engines.h"
#include "blockio32/aes128_tables.h"

namespace blockio::aes_engines::portable {
namespace {

using aes_tables::kDecrypt;
using aes_tables::kEncrypt;
using aes_tables::kInverseSbox;
using aes_tables::kSbox;

constexpr int kRounds = 10;
constexpr int kWords = 4 * (kRounds + 1);

std::uint32_t load_big_endian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void store_big_endian(std::uint8_t* p, std::uint32_t w) {
  p[0] = static_cast<std::uint8_t>(w >> 24);
  p[1] = static_cast<std::uint8_t>(w >> 16);
  p[2] = static_cast<std::uint8_t>(w >> 8);
  p[3] = static_cast<std::uint8_t>(w);
}

std::uint8_t byte_of(std::uint32_t w, int index) {  // index 0: most significant
  return static_cast<std::uint8_t>(w >> (24 - 8 * index));
}

std::uint32_t sub_word(std::uint32_t w, const aes_tables::ByteTable& box) {
  return aes_tables::word(box[byte_of(w, 0)], box[byte_of(w, 1)], box[byte_of(w, 2)],
                          box[byte_of(w, 3)]);
}

// InvMixColumns of one column: the decryption tables undo the S-box first.
std::uint32_t inverse_mix_column(std::uint32_t w) {
  return kDecrypt[0][kSbox[byte_of(w, 0)]] ^ kDecrypt[1][kSbox[byte_of(w, 1)]] ^
         kDecrypt[2][kSbox[byte_of(w, 2)]] ^ kDecrypt[3][kSbox[byte_of(w, 3)]];
}

// The round keys of the equivalent inverse cipher: in reverse order, with
// InvMixColumns applied to rounds 1 to 9, so that decryption rounds have
// the same shape as encryption rounds.
void make_decryption_keys(const std::uint32_t* schedule, std::uint32_t* keys) {
  for (int round = 0; round <= kRounds; ++round)
    for (int c = 0; c < 4; ++c) {
      const std::uint32_t w = schedule[4 * (kRounds - round) + c];
      keys[4 * round + c] = round == 0 || round == kRounds ? w : inverse_mix_column(w);
    }
}

void encrypt_block(const std::uint32_t* rk, const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t s0 = load_big_endian(in) ^ rk[0];
  std::uint32_t s1 = load_big_endian(in + 4) ^ rk[1];
  std::uint32_t s2 = load_big_endian(in + 8) ^ rk[2];
  std::uint32_t s3 = load_big_endian(in + 12) ^ rk[3];
  // Unrolled: the round keys become fixed offsets and the loop disappears.
#pragma GCC unroll 9
  for (int round = 1; round < kRounds; ++round) {
    rk += 4;
    const std::uint32_t t0 = kEncrypt[0][byte_of(s0, 0)] ^ kEncrypt[1][byte_of(s1, 1)] ^
                             kEncrypt[2][byte_of(s2, 2)] ^ kEncrypt[3][byte_of(s3, 3)] ^ rk[0];
    const std::uint32_t t1 = kEncrypt[0][byte_of(s1, 0)] ^ kEncrypt[1][byte_of(s2, 1)] ^
                             kEncrypt[2][byte_of(s3, 2)] ^ kEncrypt[3][byte_of(s0, 3)] ^ rk[1];
    const std::uint32_t t2 = kEncrypt[0][byte_of(s2, 0)] ^ kEncrypt[1][byte_of(s3, 1)] ^
                             kEncrypt[2][byte_of(s0, 2)] ^ kEncrypt[3][byte_of(s1, 3)] ^ rk[2];
    const std::uint32_t t3 = kEncrypt[0][byte_of(s3, 0)] ^ kEncrypt[1][byte_of(s0, 1)] ^
                             kEncrypt[2][byte_of(s1, 2)] ^ kEncrypt[3][byte_of(s2, 3)] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk += 4;
  // The last round has no MixColumns.
  const auto last = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return aes_tables::word(kSbox[byte_of(a, 0)], kSbox[byte_of(b, 1)], kSbox[byte_of(c, 2)],
                            kSbox[byte_of(d, 3)]);
  };
  store_big_endian(out, last(s0, s1, s2, s3) ^ rk[0]);
  store_big_endian(out + 4, last(s1, s2, s3, s0) ^ rk[1]);
  store_big_endian(out + 8, last(s2, s3, s0, s1) ^ rk[2]);
  store_big_endian(out + 12, last(s3, s0, s1, s2) ^ rk[3]);
}

void decrypt_block(const std::uint32_t* rk, const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t s0 = load_big_endian(in) ^ rk[0];
  std::uint32_t s1 = load_big_endian(in + 4) ^ rk[1];
  std::uint32_t s2 = load_big_endian(in + 8) ^ rk[2];
  std::uint32_t s3 = load_big_endian(in + 12) ^ rk[3];
#pragma GCC unroll 9
  for (int round = 1; round < kRounds; ++round) {
    rk += 4;
    const std::uint32_t t0 = kDecrypt[0][byte_of(s0, 0)] ^ kDecrypt[1][byte_of(s3, 1)] ^
                             kDecrypt[2][byte_of(s2, 2)] ^ kDecrypt[3][byte_of(s1, 3)] ^ rk[0];
    const std::uint32_t t1 = kDecrypt[0][byte_of(s1, 0)] ^ kDecrypt[1][byte_of(s0, 1)] ^
                             kDecrypt[2][byte_of(s3, 2)] ^ kDecrypt[3][byte_of(s2, 3)] ^ rk[1];
    const std::uint32_t t2 = kDecrypt[0][byte_of(s2, 0)] ^ kDecrypt[1][byte_of(s1, 1)] ^
                             kDecrypt[2][byte_of(s0, 2)] ^ kDecrypt[3][byte_of(s3, 3)] ^ rk[2];
    const std::uint32_t t3 = kDecrypt[0][byte_of(s3, 0)] ^ kDecrypt[1][byte_of(s2, 1)] ^
                             kDecrypt[2][byte_of(s1, 2)] ^ kDecrypt[3][byte_of(s0, 3)] ^ rk[3];
    s0 = t0, s1 = t1, s2 = t2, s3 = t3;
  }
  rk += 4;
  const auto last = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    return aes_tables::word(kInverseSbox[byte_of(a, 0)], kInverseSbox[byte_of(b, 1)],
                            kInverseSbox[byte_of(c, 2)], kInverseSbox[byte_of(d, 3)]);
  };
  store_big_endian(out, last(s0, s3, s2, s1) ^ rk[0]);
  store_big_endian(out + 4, last(s1, s0, s3, s2) ^ rk[1]);
  store_big_endian(out + 8, last(s2, s1, s0, s3) ^ rk[2]);
  store_big_endian(out + 12, last(s3, s2, s1, s0) ^ rk[3]);
}

}  // namespace

void expand_key(const std::uint8_t* key, std::uint32_t* schedule) {
  for (int i = 0; i < 4; ++i) schedule[i] = load_big_endian(key + 4 * i);
  for (int i = 4; i < kWords; ++i) {
    std::uint32_t w = schedule[i - 1];
    if (i % 4 == 0) {
      w = sub_word((w << 8) | (w >> 24), kSbox) ^
          std::uint32_t{aes_tables::kRoundConstants[i / 4 - 1]} << 24;
    }
    schedule[i] = schedule[i - 4] ^ w;
  }
}

void encrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks) {
  for (std::size_t b = 0; b < blocks; ++b) encrypt_block(schedule, in + 16 * b, out + 16 * b);
}

void decrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks) {
  std::uint32_t keys[kWords];
  make_decryption_keys(schedule, keys);
  for (std::size_t b = 0; b < blocks; ++b) decrypt_block(keys, in + 16 * b, out + 16 * b);
  // The derived keys are as secret as the schedule.
  volatile std::uint32_t* wipe = keys;
  for (int i = 0; i < kWords; ++i) wipe[i] = 0;
}

}  // namespace blockio::aes_engines::portable
