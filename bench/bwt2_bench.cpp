// bwt2_bench LIBRARY DATA_FILE LABEL WORK_DIR
//
// Cuts DATA_FILE into blocks of 900 KB, 4 MB and 16 MB (the largest block),
// packs and unpacks every block with Bwt2Pack and Bwt2Unpack of LIBRARY
// through the substitute host, and sets the throughput beside bzip2 -9 and
// bzip2 -d on the same file, best of two runs each. Prints one table row
// per block size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/bwt2.h"
#include "host/host.h"

namespace {

using Clock = std::chrono::steady_clock;
using host::Bytes;

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t file_size(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<std::size_t>(in.tellg());
}

// Wall time of a shell command, best of `runs`.
double time_command(const std::string& command, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "failed: %s\n", command.c_str());
      std::exit(1);
    }
    best = std::min(best, seconds_since(start));
  }
  return best;
}

struct Measured {
  double pack_seconds = 0;
  double unpack_seconds = 0;
  std::size_t packed_bytes = 0;
};

Measured measure_blocks(host::Host& h, const Bytes& data, std::size_t block_size) {
  Measured m;
  for (std::size_t at = 0; at < data.size(); at += block_size) {
    const Bytes block(data.begin() + static_cast<std::ptrdiff_t>(at),
                      data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), at + block_size)));
    auto start = Clock::now();
    const auto packed = h.call("Bwt2Pack").value(block).run();
    m.pack_seconds += seconds_since(start);
    m.packed_bytes += packed.emitted.size();

    start = Clock::now();
    const auto unpacked = h.call("Bwt2Unpack").stream(packed.emitted).run();
    m.unpack_seconds += seconds_since(start);
    if (packed.status != 0 || unpacked.handoffs.size() != 1 || unpacked.handoffs[0] != block) {
      std::fprintf(stderr, "round trip failed at offset %zu\n", at);
      std::exit(1);
    }
  }
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: bwt2_bench LIBRARY DATA_FILE LABEL WORK_DIR\n");
    return 2;
  }
  const std::string library = argv[1], data_file = argv[2], label = argv[3], work = argv[4];
  const Bytes data = read_file(data_file);
  const double mb = static_cast<double>(data.size()) / 1e6;

  const std::string packed_file = work + "/" + label + ".bz2";
  const double bzip2_pack =
      time_command("bzip2 -9 -c '" + data_file + "' > '" + packed_file + "'", 2);
  const double bzip2_unpack = time_command("bzip2 -d -c '" + packed_file + "' > /dev/null", 2);
  const std::size_t bzip2_bytes = file_size(packed_file);

  host::Host h;
  h.load(library);
  const struct {
    const char* name;
    std::size_t size;
  } blocks[] = {{"900 KB", 900000}, {"4 MB", 4000000}, {"16 MB", codec::kMaxBlockLength}};
  for (const auto& block : blocks) {
    // Best of two, as for bzip2: the machine may be busy with other work.
    Measured m = measure_blocks(h, data, block.size);
    const Measured again = measure_blocks(h, data, block.size);
    m.pack_seconds = std::min(m.pack_seconds, again.pack_seconds);
    m.unpack_seconds = std::min(m.unpack_seconds, again.unpack_seconds);
    const double pack = mb / m.pack_seconds, unpack = mb / m.unpack_seconds;
    const double bz_pack = mb / bzip2_pack, bz_unpack = mb / bzip2_unpack;
    std::printf("| %-6s | %-6s | %7.1f | %7.1f | %5.2fx | %7.1f | %7.1f | %5.2fx | %10zu | %10zu |\n",
                label.c_str(), block.name, pack, bz_pack, pack / bz_pack, unpack, bz_unpack,
                unpack / bz_unpack, m.packed_bytes, bzip2_bytes);
    std::fflush(stdout);
  }
  return 0;
}
