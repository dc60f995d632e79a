// File deltas through the real library:
//   bench_delta make SIZE SEED OLD NEW   writes a pair of similar files
//   bench_delta run LIBRARY OLD NEW DELTA OUT
//     runs CpioGen and CpioApply through the substitute host, writes the
//     delta and the rebuilt file, and prints "<gen seconds> <delta bytes>
//     <apply seconds>"; exits 1 when the rebuilt file differs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

using host::Bytes;

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Text-like data: words from a small vocabulary, so that both tools find
// short matches everywhere and long ones only where the files agree.
Bytes make_text(std::mt19937& rng, std::size_t size) {
  std::vector<std::string> words;
  for (int i = 0; i < 2000; ++i) {
    std::string w;
    for (unsigned n = 2 + rng() % 9; n > 0; --n) w += static_cast<char>('a' + rng() % 26);
    words.push_back(w);
  }
  Bytes out;
  while (out.size() < size) {
    const std::string& w = words[rng() % words.size()];
    out.insert(out.end(), w.begin(), w.end());
    out.push_back(rng() % 12 == 0 ? '\n' : ' ');
  }
  out.resize(size);
  return out;
}

// The new version: every few KB a byte changed, a few bytes inserted or
// deleted, now and then a block of new text.
Bytes edit(std::mt19937& rng, const Bytes& old) {
  Bytes out;
  std::size_t at = 0;
  while (at < old.size()) {
    const std::size_t keep = std::min<std::size_t>(old.size() - at, 1000 + rng() % 8000);
    out.insert(out.end(), old.begin() + static_cast<std::ptrdiff_t>(at),
               old.begin() + static_cast<std::ptrdiff_t>(at + keep));
    at += keep;
    switch (rng() % 4) {
      case 0: out.back() ^= 0x20; break;
      case 1: for (unsigned n = rng() % 16; n > 0; --n) out.push_back('a' + rng() % 26); break;
      case 2: at += rng() % 16; break;
      case 3: {
        const Bytes fresh = make_text(rng, 200 + rng() % 800);
        out.insert(out.end(), fresh.begin(), fresh.end());
        break;
      }
    }
  }
  return out;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int usage() {
  std::fputs("usage: bench_delta make SIZE SEED OLD NEW | run LIBRARY OLD NEW DELTA OUT\n", stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "make") {
    std::mt19937 rng(static_cast<unsigned>(std::atoi(argv[3])));
    const Bytes old = make_text(rng, std::strtoull(argv[2], nullptr, 10));
    write_file(argv[4], old);
    write_file(argv[5], edit(rng, old));
    return 0;
  }
  if (argc != 7 || std::string(argv[1]) != "run") return usage();

  host::Host host;
  host.load(argv[2]);
  const Bytes old = read_file(argv[3]);
  const Bytes now = read_file(argv[4]);

  auto start = std::chrono::steady_clock::now();
  const auto gen = host.call("CpioGen").value(old).buffer(now).run();
  const double gen_seconds = seconds_since(start);
  if (gen.status != 0) return std::fprintf(stderr, "CpioGen failed: %d\n", gen.status), 1;
  write_file(argv[5], gen.emitted);

  start = std::chrono::steady_clock::now();
  const auto applied = host.call("CpioApply")
                           .buffer(old)
                           .stream(gen.emitted)
                           .integer(static_cast<std::int32_t>(now.size()))
                           .run();
  const double apply_seconds = seconds_since(start);
  if (applied.status != 0 || applied.handoffs.size() != 1)
    return std::fprintf(stderr, "CpioApply failed: %d\n", applied.status), 1;
  write_file(argv[6], applied.handoffs[0]);
  if (applied.handoffs[0] != now) return std::fputs("rebuilt file differs\n", stderr), 1;

  std::printf("%.3f %zu %.3f\n", gen_seconds, gen.emitted.size(), apply_seconds);
  return 0;
}
