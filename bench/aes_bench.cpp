// ECB throughput of our AES-128 on each engine: bench_aes SECONDS
// Prints one line per engine and direction: "<engine> <direction> <MB/s>".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "blockio32/aes128.h"

namespace {

using blockio::Aes128;
using blockio::AesEngine;

// 16 KB at a time, as openssl speed -bytes 16384 does, so both stay in cache.
constexpr std::size_t kChunk = 16384;

double megabytes_per_second(AesEngine engine, bool decrypt, double seconds) {
  std::mt19937 rng(1);
  std::uint8_t key[16];
  for (auto& b : key) b = static_cast<std::uint8_t>(rng());
  Aes128::Schedule schedule;
  Aes128::expand_key(key, schedule, engine);
  std::vector<std::uint8_t> data(kChunk);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());

  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  std::size_t bytes = 0;
  double elapsed = 0;
  do {
    for (int i = 0; i < 64; ++i) {
      if (decrypt)
        Aes128::decrypt(schedule, data, data, engine);
      else
        Aes128::encrypt(schedule, data, data, engine);
      bytes += kChunk;
    }
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < seconds);
  // Keep the result observable.
  if (data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 0) std::fputs("", stderr);
  return static_cast<double>(bytes) / elapsed / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 2.0;
  const struct {
    AesEngine engine;
    const char* name;
  } engines[] = {{AesEngine::kPortable, "tables"}, {AesEngine::kInstructions, "instructions"}};
  for (const auto& e : engines) {
    if (!Aes128::has_engine(e.engine)) {
      std::printf("%s unavailable\n", e.name);
      continue;
    }
    std::printf("%s encrypt %.1f\n", e.name, megabytes_per_second(e.engine, false, seconds));
    std::printf("%s decrypt %.1f\n", e.name, megabytes_per_second(e.engine, true, seconds));
    std::fflush(stdout);
  }
  return 0;
}
