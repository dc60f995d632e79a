// AES-128 with the processor's AES instructions: constant time, and several
// blocks in flight at once so that the instructions' latency overlaps.
//
// Only the functions below are compiled for the AES instruction set (target
// attribute), so the rest of the library still runs on processors without
// it; callers ask available() first.
#include "blockio32/aes128_engines.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

#define TW_AES_TARGET __attribute__((target("aes,sse2,ssse3")))

namespace blockio::aes_engines::instructions {
namespace {

constexpr int kRounds = 10;
// Blocks processed together; enough to hide the latency of one round.
constexpr std::size_t kLanes = 8;

// Turns each 32-bit word between the schedule's layout (first byte most
// significant) and the byte order the instructions use.
TW_AES_TARGET inline __m128i swap_word_bytes(__m128i v) {
  const __m128i order = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  return _mm_shuffle_epi8(v, order);
}

TW_AES_TARGET inline void load_round_keys(const std::uint32_t* schedule, __m128i* keys) {
  for (int r = 0; r <= kRounds; ++r)
    keys[r] = swap_word_bytes(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(schedule + 4 * r)));
}

// One step of the key expansion; `assist` carries RotWord, SubWord and the
// round constant of the previous round key's last word.
TW_AES_TARGET inline __m128i next_round_key(__m128i key, __m128i assist) {
  assist = _mm_shuffle_epi32(assist, 0xFF);
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  key = _mm_xor_si128(key, _mm_slli_si128(key, 4));
  return _mm_xor_si128(key, assist);
}

TW_AES_TARGET inline void wipe(__m128i* keys) {
  for (int r = 0; r <= kRounds; ++r) keys[r] = _mm_setzero_si128();
  // Keep the stores: the keys are as secret as the schedule.
  __asm__ __volatile__("" : : "r"(keys) : "memory");
}

template <bool kEncrypt>
TW_AES_TARGET inline __m128i round(__m128i state, __m128i key) {
  return kEncrypt ? _mm_aesenc_si128(state, key) : _mm_aesdec_si128(state, key);
}

template <bool kEncrypt>
TW_AES_TARGET inline __m128i last_round(__m128i state, __m128i key) {
  return kEncrypt ? _mm_aesenclast_si128(state, key) : _mm_aesdeclast_si128(state, key);
}

// The loops are unrolled so that the states of a group stay in registers.
template <bool kEncrypt>
TW_AES_TARGET inline void run_blocks(const __m128i* keys, const std::uint8_t* in,
                                     std::uint8_t* out, std::size_t blocks) {
  const auto* from = reinterpret_cast<const __m128i*>(in);
  auto* to = reinterpret_cast<__m128i*>(out);
  std::size_t b = 0;
  for (; b + kLanes <= blocks; b += kLanes) {
    __m128i s[kLanes];
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i)
      s[i] = _mm_xor_si128(_mm_loadu_si128(from + b + i), keys[0]);
#pragma GCC unroll 9
    for (int r = 1; r < kRounds; ++r) {
      const __m128i key = keys[r];
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) s[i] = round<kEncrypt>(s[i], key);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i)
      _mm_storeu_si128(to + b + i, last_round<kEncrypt>(s[i], keys[kRounds]));
  }
  for (; b < blocks; ++b) {
    __m128i s = _mm_xor_si128(_mm_loadu_si128(from + b), keys[0]);
#pragma GCC unroll 9
    for (int r = 1; r < kRounds; ++r) s = round<kEncrypt>(s, keys[r]);
    _mm_storeu_si128(to + b, last_round<kEncrypt>(s, keys[kRounds]));
  }
}

}  // namespace

bool available() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
  constexpr unsigned kSse2 = 1u << 26;   // edx
  constexpr unsigned kSsse3 = 1u << 9;   // ecx
  constexpr unsigned kAes = 1u << 25;    // ecx
  return (edx & kSse2) != 0 && (ecx & kSsse3) != 0 && (ecx & kAes) != 0;
}

TW_AES_TARGET void expand_key(const std::uint8_t* key, std::uint32_t* schedule) {
  __m128i keys[kRounds + 1];
  keys[0] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(key));
  // The round constant must be an immediate operand, hence one line per round.
  keys[1] = next_round_key(keys[0], _mm_aeskeygenassist_si128(keys[0], 0x01));
  keys[2] = next_round_key(keys[1], _mm_aeskeygenassist_si128(keys[1], 0x02));
  keys[3] = next_round_key(keys[2], _mm_aeskeygenassist_si128(keys[2], 0x04));
  keys[4] = next_round_key(keys[3], _mm_aeskeygenassist_si128(keys[3], 0x08));
  keys[5] = next_round_key(keys[4], _mm_aeskeygenassist_si128(keys[4], 0x10));
  keys[6] = next_round_key(keys[5], _mm_aeskeygenassist_si128(keys[5], 0x20));
  keys[7] = next_round_key(keys[6], _mm_aeskeygenassist_si128(keys[6], 0x40));
  keys[8] = next_round_key(keys[7], _mm_aeskeygenassist_si128(keys[7], 0x80));
  keys[9] = next_round_key(keys[8], _mm_aeskeygenassist_si128(keys[8], 0x1B));
  keys[10] = next_round_key(keys[9], _mm_aeskeygenassist_si128(keys[9], 0x36));
  for (int r = 0; r <= kRounds; ++r)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(schedule + 4 * r), swap_word_bytes(keys[r]));
  wipe(keys);
}

TW_AES_TARGET void encrypt(const std::uint32_t* schedule, const std::uint8_t* in,
                           std::uint8_t* out, std::size_t blocks) {
  __m128i keys[kRounds + 1];
  load_round_keys(schedule, keys);
  run_blocks<true>(keys, in, out, blocks);
  wipe(keys);
}

TW_AES_TARGET void decrypt(const std::uint32_t* schedule, const std::uint8_t* in,
                           std::uint8_t* out, std::size_t blocks) {
  // The equivalent inverse cipher: round keys in reverse order, the inner
  // ones passed through InvMixColumns.
  __m128i forward[kRounds + 1];
  load_round_keys(schedule, forward);
  __m128i keys[kRounds + 1];
  keys[0] = forward[kRounds];
  for (int r = 1; r < kRounds; ++r) keys[r] = _mm_aesimc_si128(forward[kRounds - r]);
  keys[kRounds] = forward[0];
  run_blocks<false>(keys, in, out, blocks);
  wipe(forward);
  wipe(keys);
}

}  // namespace blockio::aes_engines::instructions

#else  // no AES instructions on this architecture

namespace blockio::aes_engines::instructions {
bool available() { return false; }
void expand_key(const std::uint8_t*, std::uint32_t*) {}
void encrypt(const std::uint32_t*, const std::uint8_t*, std::uint8_t*, std::size_t) {}
void decrypt(const std::uint32_t*, const std::uint8_t*, std::uint8_t*, std::size_t) {}
}  // namespace blockio::aes_engines::instructions

#endif
