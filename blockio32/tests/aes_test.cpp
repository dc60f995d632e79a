// AES-128: the published example vectors through both engines and through
// slots 8 to 10; the subroutines against openssl and their value handling.
#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "blockio32/aes128.h"
#include "host/host.h"
#include "tests/support/process.h"

namespace {

using blockio::Aes128;
using blockio::AesEngine;
using host::Bytes;
namespace slot = addon::slot;

std::string lib(const char* name) { return std::string(TW_LIB_DIR) + "/" + name + ".so"; }

Bytes from_hex(std::string_view hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  return out;
}

std::string to_hex(std::span<const std::uint8_t> bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (const auto b : bytes) out += {digits[b >> 4], digits[b & 15]};
  return out;
}

Bytes random_bytes(std::mt19937& rng, std::size_t n) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

Aes128::Schedule schedule_of(const Bytes& key, AesEngine engine = Aes128::fastest_engine()) {
  Aes128::Schedule schedule{};
  Aes128::expand_key(Aes128::Key(key.data(), 16), schedule, engine);
  return schedule;
}

Bytes encrypted(const Aes128::Schedule& schedule, Bytes data, bool decrypt = false) {
  data.resize((data.size() + 15) / 16 * 16, 0);
  if (decrypt)
    Aes128::decrypt(schedule, data, data);
  else
    Aes128::encrypt(schedule, data, data);
  return data;
}

struct Vector {
  const char* name;
  const char* key;
  const char* plain;
  const char* cipher;
};

// FIPS-197 appendices B and C.1.
constexpr Vector kVectors[] = {
    {"appendix B", "2b7e151628aed2a6abf7158809cf4f3c", "3243f6a8885a308d313198a2e0370734",
     "3925841d02dc09fbdc118597196a0b32"},
    {"appendix C.1", "000102030405060708090a0b0c0d0e0f", "00112233445566778899aabbccddeeff",
     "69c4e0d86a7b0430d8cdb78070b4c55a"},
};

std::vector<AesEngine> engines() {
  std::vector<AesEngine> out{AesEngine::kPortable};
  if (Aes128::has_engine(AesEngine::kInstructions)) out.push_back(AesEngine::kInstructions);
  return out;
}

TEST(Aes128, PublishedVectorsInBothDirectionsOnEveryEngine) {
  for (const AesEngine engine : engines()) {
    for (const auto& v : kVectors) {
      SCOPED_TRACE(std::string(v.name) + (engine == AesEngine::kPortable ? " tables" : " instructions"));
      const auto schedule = schedule_of(from_hex(v.key), engine);
      Bytes block = from_hex(v.plain);
      Aes128::encrypt(schedule, block, block, engine);
      EXPECT_EQ(to_hex(block), v.cipher);
      Aes128::decrypt(schedule, block, block, engine);
      EXPECT_EQ(to_hex(block), v.plain);
    }
    // The schedule layout other libraries receive: appendix A.1's words.
    const auto schedule = schedule_of(from_hex(kVectors[0].key), engine);
    EXPECT_EQ(schedule[0], 0x2b7e1516u);
    EXPECT_EQ(schedule[4], 0xa0fafe17u);
    EXPECT_EQ(schedule[43], 0xb6630ca6u);
  }
}

TEST(Aes128, EnginesAgreeOnRandomKeysAndLengths) {
  if (!Aes128::has_engine(AesEngine::kInstructions))
    GTEST_SKIP() << "this processor has no AES instructions";
  std::mt19937 rng(5);
  // Block counts around the instruction engine's group of eight.
  for (const std::size_t blocks : {1u, 7u, 8u, 9u, 17u, 100u}) {
    const Bytes key = random_bytes(rng, 16);
    const auto schedule = schedule_of(key, AesEngine::kPortable);
    EXPECT_EQ(schedule, schedule_of(key, AesEngine::kInstructions));
    const Bytes plain = random_bytes(rng, 16 * blocks);
    Bytes by_tables(plain.size()), by_instructions(plain.size());
    Aes128::encrypt(schedule, plain, by_tables, AesEngine::kPortable);
    Aes128::encrypt(schedule, plain, by_instructions, AesEngine::kInstructions);
    EXPECT_EQ(by_tables, by_instructions) << blocks << " blocks";
    Aes128::decrypt(schedule, by_tables, by_tables, AesEngine::kPortable);
    Aes128::decrypt(schedule, by_instructions, by_instructions, AesEngine::kInstructions);
    EXPECT_EQ(by_tables, plain);
    EXPECT_EQ(by_instructions, plain);
  }
}

// --- through the host ---------------------------------------------------------

class AesSubroutines : public ::testing::Test {
 protected:
  void SetUp() override { host.load(lib("blockio32a")); }

  // One call with the value; checks the host's bookkeeping on the way.
  host::CallOutcome run(const char* name, const Bytes& value) {
    auto out = host.call(name).value(value).run();
    EXPECT_EQ(out.leaked, 0u) << name;
    EXPECT_TRUE(out.memory_faults.empty()) << name << ": " << out.memory_faults.front();
    EXPECT_TRUE(out.errors.empty()) << name;
    return out;
  }
  Bytes result_of(const char* name, const Bytes& value) {
    const auto out = run(name, value);
    EXPECT_EQ(out.handoffs.size(), 1u) << name;
    return out.handoffs.empty() ? Bytes{} : out.handoffs.front();
  }

  host::Host host;
};

void expect_slots_reproduce_vectors(const addon::ServiceVector& services) {
  ASSERT_TRUE(services.has<slot::AesExpandKey>() && services.has<slot::AesEncryptBlock>() &&
              services.has<slot::AesDecryptBlock>());
  for (const auto& v : kVectors) {
    SCOPED_TRACE(v.name);
    std::uint32_t schedule[44] = {};
    services.call<slot::AesExpandKey>(from_hex(v.key).data(), schedule);
    std::uint8_t out[16];
    services.call<slot::AesEncryptBlock>(from_hex(v.plain).data(), schedule, out);
    EXPECT_EQ(to_hex(out), v.cipher);
    services.call<slot::AesDecryptBlock>(from_hex(v.cipher).data(), schedule, out);
    EXPECT_EQ(to_hex(out), v.plain);
  }
}

TEST_F(AesSubroutines, SlotsEightToTenReachALibraryLoadedLater) {
  expect_slots_reproduce_vectors(host.services());
  // A library loaded afterwards finds them through its own OvlSubr export.
  const std::string later = lib("emptyaddon");
  host.load(later);
  void* handle = dlopen(later.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr) << dlerror();
  auto** vector = static_cast<addon::ServiceVector**>(dlsym(handle, "OvlSubr"));
  ASSERT_NE(vector, nullptr);
  ASSERT_NE(*vector, nullptr);
  expect_slots_reproduce_vectors(**vector);
  dlclose(handle);
}

TEST_F(AesSubroutines, KeyFolding) {
  std::mt19937 rng(7);
  const Bytes a = random_bytes(rng, 16), b = random_bytes(rng, 16);
  Bytes a_xor_b(16), a_then_1(17, 0), first_byte_flipped = a;
  for (int i = 0; i < 16; ++i) a_xor_b[i] = a[i] ^ b[i];
  std::copy(a.begin(), a.end(), a_then_1.begin());
  a_then_1[16] = 1;
  first_byte_flipped[0] ^= 1;
  Bytes a_b = a;
  a_b.insert(a_b.end(), b.begin(), b.end());
  const struct {
    const char* name;
    Bytes value;
    Bytes key;
  } cases[] = {
      {"16 bytes are the key", a, a},
      {"32 bytes fold to the XOR of the halves", a_b, a_xor_b},
      {"byte 16 folds into byte 0", a_then_1, first_byte_flipped},
      {"an empty value is the zero key", {}, Bytes(16, 0)},
  };
  const Bytes plain = random_bytes(rng, 40);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(run("AesKey", c.value).status, 0);
    EXPECT_EQ(result_of("AesEncrypt", plain), encrypted(schedule_of(c.key), plain));
  }
}

TEST_F(AesSubroutines, PaddingAndLengths) {
  std::mt19937 rng(11);
  run("AesKey", random_bytes(rng, 16));
  const Bytes plain = random_bytes(rng, 17);
  const Bytes cipher = result_of("AesEncrypt", plain);
  EXPECT_EQ(cipher.size(), 32u);
  Bytes padded = plain;
  padded.resize(32, 0);
  EXPECT_EQ(result_of("AesDecrypt", cipher), padded) << "the padding stays in the result";

  EXPECT_TRUE(result_of("AesEncrypt", {}).empty());
  EXPECT_TRUE(result_of("AesDecrypt", {}).empty());

  // Cipher text that is not whole blocks is decrypted as if zero-padded,
  // never read past its end.
  Bytes cut(cipher.begin(), cipher.begin() + 20);
  Bytes cut_padded = cut;
  cut_padded.resize(32, 0);
  const Bytes decrypted = result_of("AesDecrypt", cut);
  EXPECT_EQ(decrypted.size(), 32u);
  EXPECT_EQ(decrypted, result_of("AesDecrypt", cut_padded));
}

TEST_F(AesSubroutines, ReturnsTheStatusTheScriptLeft) {
  const auto out = host.call("AesEncrypt").value(Bytes(5, 1)).on_result([](host::ActiveCall& call) {
    const auto* d = call.record().buffer;
    EXPECT_EQ(d->capacity, 16u);
    EXPECT_EQ(d->position, 0u);
    EXPECT_EQ(d->length, 16u);
    return 9;
  }).run();
  EXPECT_EQ(out.status, 9);
  EXPECT_EQ(out.leaked, 0u);
}

TEST(AesLibraryKey, StartsAsTheAllZeroSchedule) {
  // Build C is loaded by no other test in this program, so its key has not
  // been set yet. All-zero round keys are not the schedule of a zero key.
  host::Host host;
  host.load(lib("blockio32c"));
  const Bytes plain(32, 0x5A);
  const auto out = host.call("AesEncrypt").value(plain).run();
  ASSERT_EQ(out.handoffs.size(), 1u);
  EXPECT_EQ(out.handoffs[0], encrypted(Aes128::Schedule{}, plain));
  EXPECT_NE(out.handoffs[0], encrypted(schedule_of(Bytes(16, 0)), plain));
}

// --- against openssl ------------------------------------------------------------

std::string find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::filesystem::path candidate = std::filesystem::path(dirs.substr(start, end - start)) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

TEST_F(AesSubroutines, AgreesWithOpensslOnRandomKeysAndData) {
  const std::string openssl = find_program("openssl");
  if (openssl.empty()) GTEST_SKIP() << "openssl is not installed";
  std::mt19937 rng(13);
  for (const std::size_t length : {1u, 16u, 31u, 64u, 1000u}) {
    SCOPED_TRACE(length);
    const Bytes key = random_bytes(rng, 16);
    const Bytes plain = random_bytes(rng, length);
    run("AesKey", key);
    const Bytes ours = result_of("AesEncrypt", plain);

    Bytes padded = plain;
    padded.resize(ours.size(), 0);
    const auto theirs = testsupport::run_process(
        {openssl, "enc", "-aes-128-ecb", "-nopad", "-K", to_hex(key)},
        std::string(padded.begin(), padded.end()));
    ASSERT_EQ(theirs.exit_code, 0) << theirs.err;
    EXPECT_EQ(to_hex(ours), to_hex(Bytes(theirs.out.begin(), theirs.out.end())));
    EXPECT_EQ(result_of("AesDecrypt", ours), padded);
  }
}

}  // namespace
