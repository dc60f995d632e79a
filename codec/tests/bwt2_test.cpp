#include "codec/bwt2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "codec/run_digits.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Counts what is taken and given back, and the high-water mark.
class TrackingResource final : public std::pmr::memory_resource {
 public:
  std::size_t peak = 0;
  std::size_t outstanding = 0;

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    outstanding += bytes;
    peak = std::max(peak, outstanding);
    return std::pmr::new_delete_resource()->allocate(bytes, alignment);
  }
  void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override {
    outstanding -= bytes;
    std::pmr::new_delete_resource()->deallocate(p, bytes, alignment);
  }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
};

Bytes encode(const Bytes& block, std::pmr::memory_resource* memory = std::pmr::new_delete_resource()) {
  Bytes stream;
  codec::VectorSink sink(stream);
  EXPECT_TRUE(codec::encode_block(block, sink, memory));
  return stream;
}

struct Decoded {
  std::optional<std::uint32_t> length;
  codec::DecodeResult result = codec::DecodeResult::kDamaged;
  Bytes block;
  std::size_t consumed = 0;  // where the source stands afterwards
};

Decoded decode(const Bytes& stream, std::pmr::memory_resource* memory = std::pmr::new_delete_resource()) {
  codec::SpanSource source(stream);
  Decoded out;
  out.length = codec::read_block_length(source);
  if (out.length) {
    out.block.assign(*out.length, 0xAA);
    out.result = codec::decode_block(source, out.block, memory);
  }
  out.consumed = source.position();
  return out;
}

// Writes a stream by hand from its fields, with the canonical codes worked
// out here, so that the codec is checked against the format and not against
// itself.
class StreamBuilder {
 public:
  StreamBuilder(std::uint32_t n, std::uint32_t primary, std::map<int, int> lengths)
      : lengths_(std::move(lengths)) {
    put(n, 24);
    put(primary, 24);
    for (int s = 0; s < 258; ++s) put(lengths_.count(s) ? lengths_[s] : 0, 5);
    std::map<int, std::uint64_t> count;
    for (const auto& [s, l] : lengths_) ++count[l];
    std::uint64_t first = 0;
    for (int l = 1; l <= 31; ++l) {
      std::uint64_t code = first;
      for (const auto& [s, length] : lengths_)
        if (length == l) codes_[s] = code++;
      first = 2 * (first + count[l]);
    }
  }
  StreamBuilder& symbols(std::initializer_list<int> list) {
    for (int s : list) put(codes_.at(s), lengths_.at(s));
    return *this;
  }
  StreamBuilder& bits(std::uint64_t value, int count) {
    put(value, count);
    return *this;
  }
  Bytes finish() {
    while (bit_count_ % 8 != 0) put(0, 1);
    return bytes_;
  }

 private:
  void put(std::uint64_t value, int count) {
    for (int i = count - 1; i >= 0; --i) {
      if (bit_count_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> (bit_count_ % 8));
      ++bit_count_;
    }
  }

  std::map<int, int> lengths_;
  std::map<int, std::uint64_t> codes_;
  Bytes bytes_;
  std::size_t bit_count_ = 0;
};

TEST(Bwt2Stream, OneByteBlockIsExactToTheBit) {
  // Rows: the whole block (a run of one) and the empty suffix, whose byte
  // 'A' sits at move-to-front position 65. Two symbols: one bit each.
  const Bytes expected = StreamBuilder(1, 0, {{65, 1}, {256, 1}}).symbols({256, 65}).finish();
  EXPECT_EQ(encode(bytes_of("A")), expected);
  const Decoded back = decode(expected);
  EXPECT_EQ(back.result, codec::DecodeResult::kClean);
  EXPECT_EQ(back.block, bytes_of("A"));
}

TEST(Bwt2Stream, LastCodedSymbolMayBeZero) {
  // "aa": rows "aa" (the whole block), "a", empty. The last row's byte is at
  // the front of the list by then. Equal counts: leaves in symbol order.
  const Bytes expected =
      StreamBuilder(2, 0, {{0, 2}, {97, 2}, {256, 1}}).symbols({256, 97, 0}).finish();
  EXPECT_EQ(encode(bytes_of("aa")), expected);
  EXPECT_EQ(decode(expected).block, bytes_of("aa"));
}

TEST(Bwt2Stream, EmptyBlockIsTheLengthAlone) {
  EXPECT_EQ(encode({}), (Bytes{0, 0, 0}));
  const Decoded back = decode({0, 0, 0, 0x55});
  EXPECT_EQ(back.length, 0u);
  EXPECT_EQ(back.consumed, 3u);
}

TEST(Bwt2Stream, RunsAreBijectiveBaseTwoLeastSignificantFirst) {
  const std::map<std::uint32_t, std::vector<int>> cases = {
      {1, {256}}, {2, {257}}, {3, {256, 256}}, {4, {257, 256}}, {5, {256, 257}}, {14, {257, 257, 257}}};
  for (const auto& [run, digits] : cases) {
    std::vector<int> written;
    codec::for_each_run_digit(run, [&](int s) { written.push_back(s); });
    EXPECT_EQ(written, digits) << "run of " << run;
  }
}

Bytes random_block(std::mt19937& rng, std::size_t size, int alphabet) {
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng() % alphabet);
  return out;
}

TEST(Bwt2Stream, RoundTripsATableOfBlocks) {
  std::mt19937 rng(2006);
  Bytes all_values(256);
  for (int i = 0; i < 256; ++i) all_values[i] = static_cast<std::uint8_t>(255 - i);
  Bytes runs;  // zero runs of every length from 1 to 40 in the last column
  for (int k = 1; k <= 40; ++k) {
    runs.insert(runs.end(), k, 'x');
    runs.push_back(static_cast<std::uint8_t>('a' + k % 26));
  }
  Bytes text;
  while (text.size() < 50000)
    for (std::string_view w : {"the ", "quick ", "brown ", "fox ", "jumps\n", "over ", "a ", "lazy ", "dog. "})
      text.insert(text.end(), w.begin(), w.end());

  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"byte 00", {0x00}},
      {"byte FF", {0xFF}},
      {"two bytes", bytes_of("ab")},
      {"order example", {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0xFF}},
      {"repeated byte", Bytes(10000, 0x00)},
      {"repeated FF", Bytes(777, 0xFF)},
      {"all byte values", all_values},
      {"zero runs 1 to 40", runs},
      {"text", text},
      {"random", random_block(rng, 65536, 256)},
      {"two symbols", random_block(rng, 30000, 2)},
      {"periodic", [] {
         Bytes b(20000);
         for (std::size_t i = 0; i < b.size(); ++i) b[i] = "abcabd"[i % 6];
         return b;
       }()},
  };
  for (const auto& [name, block] : cases) {
    Bytes stream = encode(block);
    const std::size_t stream_size = stream.size();
    stream.insert(stream.end(), {0xDE, 0xAD});  // whatever follows stays unread
    const Decoded back = decode(stream);
    EXPECT_EQ(back.result, codec::DecodeResult::kClean) << name;
    EXPECT_EQ(back.block, block) << name;
    EXPECT_EQ(back.consumed, stream_size) << name;
  }
}

TEST(Bwt2Stream, LargestBlockFitsTheLengthField) {
  const Bytes block(codec::kMaxBlockLength, 'z');
  const Bytes stream = encode(block);
  EXPECT_EQ((Bytes{stream[0], stream[1], stream[2]}), (Bytes{0xFF, 0xFF, 0xFF}));
  EXPECT_LT(stream.size(), 200u);  // a few run digits and one last symbol
  EXPECT_EQ(decode(stream).block, block);

  Bytes too_long_stream;
  codec::VectorSink sink(too_long_stream);
  const Bytes too_long(codec::kMaxBlockLength + 1, 'z');
  EXPECT_FALSE(codec::encode_block(too_long, sink, std::pmr::new_delete_resource()));
  EXPECT_TRUE(too_long_stream.empty());
}

TEST(Bwt2Stream, WorkingMemoryStaysWithinTwelveBytesPerByte) {
  std::mt19937 rng(5);
  for (const Bytes& block : {random_block(rng, 200000, 256), random_block(rng, 200000, 2),
                             Bytes(200000, 'q')}) {
    TrackingResource memory;
    const Bytes stream = encode(block, &memory);
    EXPECT_LE(memory.peak, 12 * block.size());
    EXPECT_EQ(memory.outstanding, 0u);

    TrackingResource decode_memory;
    EXPECT_EQ(decode(stream, &decode_memory).block, block);
    EXPECT_LE(decode_memory.peak, 4 * (block.size() + 1));
    EXPECT_EQ(decode_memory.outstanding, 0u);
  }
}

TEST(Bwt2Stream, DecodesTheLongestCodes) {
  // "AB": symbols run(1), 65, 66. A complete code with lengths 1, 2, 3, ...,
  // 28 and two of 29 bits puts run digit one at 29 bits.
  std::map<int, int> lengths = {{65, 1}, {66, 2}, {256, 29}, {257, 29}};
  for (int s = 1; s <= 26; ++s) lengths[s] = s + 2;
  const Bytes stream = StreamBuilder(2, 0, lengths).symbols({256, 65, 66}).finish();
  const Decoded back = decode(stream);
  EXPECT_EQ(back.result, codec::DecodeResult::kClean);
  EXPECT_EQ(back.block, bytes_of("AB"));
  EXPECT_EQ(back.consumed, stream.size());
}

TEST(Bwt2Stream, DamagedStreamsFillTheBlockAndSayDamaged) {
  const std::map<int, int> lengths = {{65, 1}, {66, 2}, {256, 3}, {257, 3}};
  const std::vector<std::pair<std::string, Bytes>> cases = {
      {"primary index past n", StreamBuilder(2, 3, lengths).symbols({256, 65, 66}).finish()},
      {"run past the entries", StreamBuilder(2, 0, lengths).symbols({257, 257, 65}).finish()},
      {"run without its end", StreamBuilder(2, 0, lengths).symbols({256, 256}).finish()},
      {"no code within 29 bits",
       StreamBuilder(2, 0, {{65, 1}, {66, 2}}).symbols({65}).bits(0xFFFFFFFF, 32).finish()},
      {"ends in the code lengths", Bytes{0, 0, 9, 0, 0, 0, 0x08}},
      {"ends after the length", Bytes{0, 0, 9}},
  };
  for (const auto& [name, stream] : cases) {
    const Decoded back = decode(stream);
    EXPECT_EQ(back.result, codec::DecodeResult::kDamaged) << name;
    EXPECT_EQ(back.block.size(), *back.length) << name;
    EXPECT_LE(back.consumed, stream.size()) << name;
  }
}

TEST(Bwt2Stream, TruncatedOrCorruptedStreamsStayInBounds) {
  std::mt19937 rng(31);
  Bytes block = random_block(rng, 3000, 8);
  block.insert(block.end(), 500, 'r');
  const Bytes stream = encode(block);
  for (std::size_t cut = 3; cut < stream.size(); ++cut) {
    const Decoded back = decode(Bytes(stream.begin(), stream.begin() + cut));
    EXPECT_EQ(back.result, codec::DecodeResult::kDamaged) << "cut at " << cut;
    EXPECT_EQ(back.block.size(), block.size());
  }
  for (int round = 0; round < 300; ++round) {
    Bytes damaged = stream;
    for (int flips = 1 + round % 4; flips > 0; --flips)
      damaged[3 + rng() % (damaged.size() - 3)] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
    const Decoded back = decode(damaged);
    EXPECT_EQ(back.block.size(), block.size());
    EXPECT_LE(back.consumed, damaged.size());
  }
}

TEST(Bwt2Stream, WrongPrimaryIndexInABigBlockStillEnds) {
  // Every symbol reads well, but the rows no longer form one path from the
  // last row to the primary index: the walk must still end and fill the block.
  std::mt19937 rng(8);
  const Bytes block = random_block(rng, 100000, 16);
  const Bytes stream = encode(block);
  for (std::uint32_t primary : {0u, 1u, 4096u, 99999u, 100000u}) {
    Bytes damaged = stream;
    damaged[3] = static_cast<std::uint8_t>(primary >> 16);
    damaged[4] = static_cast<std::uint8_t>(primary >> 8);
    damaged[5] = static_cast<std::uint8_t>(primary);
    if (damaged == stream) continue;
    const Decoded back = decode(damaged);
    EXPECT_EQ(back.block.size(), block.size());
    EXPECT_NE(back.block, block) << primary;
  }
}

TEST(Bwt2Stream, ReadBlockLengthNeedsThreeBytes) {
  for (const Bytes& input : {Bytes{}, Bytes{0x01}, Bytes{0x01, 0x02}}) {
    codec::SpanSource source(input);
    EXPECT_FALSE(codec::read_block_length(source));
    EXPECT_EQ(source.position(), input.size());
  }
  const Bytes input = {0x12, 0x34, 0x56, 0x78};
  codec::SpanSource source(input);
  EXPECT_EQ(codec::read_block_length(source), 0x123456u);
  EXPECT_EQ(source.position(), 3u);
}

}  // namespace
