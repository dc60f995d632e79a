// File deltas: the generator against a literal transcription of its search
// (head table and chains), hand-worked deltas, the applier's bounds and
// errors, and CpioGen and CpioApply through the host.
#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "blockio32/file_delta.h"
#include "host/host.h"

namespace {

using blockio::DeltaStatus;
using host::Bytes;

// The search as a chain walk: obviously faithful and slow on long chains.
Bytes reference_generator(const Bytes& R, const Bytes& T) {
  const auto hash = [](std::uint8_t a, std::uint8_t b) { return (97 * a + 23 * b) % 8192; };
  std::vector<std::int64_t> head(8192, 0), chain(R.size(), 0);
  for (std::size_t p = 0; p + 1 < R.size(); ++p) {
    const int h = hash(R[p], R[p + 1]);
    chain[p] = head[h];
    head[h] = static_cast<std::int64_t>(p);
  }
  Bytes out;
  const auto op = [&](int kind, std::int64_t v) {
    if (v < 32) {
      out.push_back(static_cast<std::uint8_t>(kind << 6 | v));
    } else {
      out.push_back(static_cast<std::uint8_t>(kind << 6 | 0x20 | (v & 31)));
      out.push_back(static_cast<std::uint8_t>(v >> 5));
    }
  };
  Bytes pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    op(0, static_cast<std::int64_t>(pending.size()));
    out.insert(out.end(), pending.begin(), pending.end());
    pending.clear();
  };
  const auto n = static_cast<std::int64_t>(T.size());
  const auto len = static_cast<std::int64_t>(R.size());
  std::int64_t t = 0, r = 0;
  while (t < n) {
    const std::int64_t m = n - t;
    std::int64_t best = 0, best_p = 0;
    const auto consider = [&](std::int64_t p) {
      std::int64_t l = 0;
      while (l < std::min<std::int64_t>(m, 8191) && p + l + 1 <= len - 1 && T[t + l] == R[p + l]) ++l;
      if (l > best) best = l, best_p = p;
    };
    if (m > 1) {
      if (t == 0) {
        consider(0);
      } else {
        for (std::int64_t p = head[hash(T[t], T[t + 1])]; p != 0; p = chain[p]) {
          if (p - r >= 8192) continue;
          if (p - r <= -8192) break;
          consider(p);
        }
      }
    }
    best = std::min(best, m);
    if (best < 4 || (best < 7 && !pending.empty())) {
      pending.push_back(T[t++]);
      if (pending.size() == 250 || t == n) flush();
    } else {
      flush();
      if (best_p > r) op(2, best_p - r);
      if (best_p < r) op(3, r - best_p);
      op(1, best);
      r = best_p + best;
      t += best;
    }
  }
  return out;
}

Bytes generate(const Bytes& reference, const Bytes& target) {
  Bytes delta;
  codec::VectorSink sink(delta);
  blockio::generate_delta(reference, target, sink, std::pmr::new_delete_resource());
  return delta;
}

// A delta in memory that ends, or fails, after its bytes.
class BytesSource final : public blockio::DeltaSource {
 public:
  explicit BytesSource(const Bytes& bytes, bool fails_at_end = false)
      : bytes_(bytes), fails_at_end_(fails_at_end) {}
  std::int32_t next_byte() override {
    if (at_ < bytes_.size()) return bytes_[at_++];
    return fails_at_end_ ? -1 : addon::kEndOfStream;
  }

 private:
  const Bytes& bytes_;
  bool fails_at_end_;
  std::size_t at_ = 0;
};

struct Applied {
  DeltaStatus status;
  Bytes output;
  std::uint32_t position;
};

Applied apply(const Bytes& reference, const Bytes& delta, std::size_t output_size,
              std::uint32_t position = 0, bool fails_at_end = false) {
  Bytes output(output_size);
  BytesSource source(delta, fails_at_end);
  const auto applied = blockio::apply_delta(reference, position, source, output);
  output.resize(applied.produced);
  return {applied.status, output, position};
}

Bytes random_bytes(std::mt19937& rng, std::size_t n, int alphabet = 256) {
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng() % static_cast<unsigned>(alphabet));
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes slice(const Bytes& b, std::size_t from, std::size_t count) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               b.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// A new version of `old`: blocks replaced, inserted, deleted and moved.
Bytes edited(std::mt19937& rng, const Bytes& old, int alphabet) {
  Bytes out;
  std::size_t at = 0;
  while (at < old.size()) {
    const std::size_t run = std::min<std::size_t>(old.size() - at, 1 + rng() % 3000);
    switch (rng() % 6) {
      case 0: out = concat({out, random_bytes(rng, rng() % 40, alphabet)}); break;  // insert
      case 1: at += rng() % 60; break;                                                // delete
      case 2: {                                                                       // move back
        const std::size_t from = rng() % (at + 1);
        out = concat({out, slice(old, from, std::min<std::size_t>(run, old.size() - from))});
        break;
      }
      default: break;
    }
    if (at >= old.size()) break;
    const std::size_t keep = std::min(run, old.size() - at);
    out = concat({out, slice(old, at, keep)});
    at += keep;
  }
  return out;
}

TEST(DeltaGenerator, HandWorkedDeltas) {
  std::mt19937 rng(3);
  const Bytes r100 = random_bytes(rng, 100);
  const Bytes r33 = random_bytes(rng, 33);
  const Bytes a = random_bytes(rng, 100), b = random_bytes(rng, 100);
  const Bytes far = random_bytes(rng, 20000);
  Bytes distinct(251);
  for (int i = 0; i < 251; ++i) distinct[i] = static_cast<std::uint8_t>(i + 1);
  const Bytes zeros(10, 0);
  const struct {
    const char* name;
    Bytes reference, target, delta;
  } cases[] = {
      {"empty target", r100, {}, {}},
      {"equal: the last byte is never copied", r100, r100,
       concat({{0x63, 0x03, 0x01}, slice(r100, 99, 1)})},
      {"copy of 31 is one byte", r33, slice(r33, 0, 31), {0x5F}},
      {"copy of 32 takes an extension", r33, slice(r33, 0, 32), {0x60, 0x01}},
      {"250 literals are one run", zeros, slice(distinct, 0, 250),
       concat({{0x3A, 0x07}, slice(distinct, 0, 250)})},
      {"the 251st starts a new run", zeros, distinct,
       concat({{0x3A, 0x07}, slice(distinct, 0, 250), {0x01}, slice(distinct, 250, 1)})},
      // Position 0 is found only at t = 0, so each part opens with a literal.
      {"move forward, then back", concat({a, b}), concat({slice(b, 0, 50), slice(a, 0, 50)}),
       concat({{0x01, b[0], 0xA5, 0x03, 0x71, 0x01, 0x01, a[0], 0xF5, 0x04, 0x71, 0x01}})},
      {"a match inside the window", far, slice(far, 5000, 100),
       concat({{0x01, far[5000], 0xA9, 0x9C, 0x63, 0x03}})},
      {"a match 8,192 or more ahead is passed over", far, slice(far, 10000, 100),
       concat({{0x24, 0x03}, slice(far, 10000, 100)})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes delta = generate(c.reference, c.target);
    EXPECT_EQ(delta, c.delta);
    EXPECT_EQ(reference_generator(c.reference, c.target), c.delta) << "the hand-worked delta";
    const auto back = apply(c.reference, delta, c.target.size() + 1);
    EXPECT_EQ(back.status, DeltaStatus::kComplete);
    EXPECT_EQ(back.output, c.target);
  }
}

TEST(DeltaGenerator, MatchesTheChainWalkAndRoundTripsOnSimilarPairs) {
  std::mt19937 rng(17);
  // Small alphabets make long chains, equal-length ties and short matches
  // that the thresholds have to sort out.
  for (const int alphabet : {2, 4, 16, 256}) {
    for (const std::size_t size : {1u, 2u, 5u, 300u, 20000u}) {  // past the window
      SCOPED_TRACE(testing::Message() << "alphabet " << alphabet << ", size " << size);
      const Bytes old = random_bytes(rng, size, alphabet);
      const Bytes now = edited(rng, old, alphabet);
      const Bytes delta = generate(old, now);
      ASSERT_EQ(delta, reference_generator(old, now));
      const auto back = apply(old, delta, now.size());
      EXPECT_EQ(back.status, DeltaStatus::kComplete);
      EXPECT_EQ(back.output, now);
    }
  }
  // Runs of one byte: every position in one chain.
  const Bytes flat(20000, 'x');
  const Bytes flat_target = concat({Bytes(9000, 'x'), Bytes{'y'}, Bytes(12000, 'x')});
  EXPECT_EQ(generate(flat, flat_target), reference_generator(flat, flat_target));
}

TEST(DeltaApplier, OperationsBoundsAndErrors) {
  Bytes ref(100);
  for (int i = 0; i < 100; ++i) ref[i] = static_cast<std::uint8_t>(i);
  const struct {
    const char* name;
    Bytes delta;
    std::size_t output_size;
    std::uint32_t start;
    DeltaStatus status;
    Bytes output;
    std::uint32_t position;
    bool fails_at_end = false;
  } cases[] = {
      {"forward, copy, back, copy", {0x8A, 0x44, 0xC3, 0x42}, 10, 0, DeltaStatus::kComplete,
       {10, 11, 12, 13, 11, 12}, 13},
      {"literals, then the end operation; the rest is not read", {0x02, 7, 8, 0x00, 0x44}, 10, 0,
       DeltaStatus::kComplete, {7, 8}, 0},
      {"end operation written with an extension", {0x20, 0x00, 0x41}, 10, 0,
       DeltaStatus::kComplete, {}, 0},
      {"copy from the buffer's position", {0x42}, 10, 98, DeltaStatus::kComplete, {98, 99}, 100},
      {"copy with an extension", {0x60, 0x01}, 40, 50, DeltaStatus::kComplete,
       slice(ref, 50, 32), 82},
      {"move back from 0", {0xC1}, 10, 0, DeltaStatus::kBeforeReference, {}, 0},
      {"move back past the start", {0x85, 0xC6}, 10, 0, DeltaStatus::kBeforeReference, {}, 5},
      {"copy past the reference", {0x42}, 10, 99, DeltaStatus::kBeyondBounds, {}, 99},
      {"copy past the output", {0x41, 0x43}, 3, 0, DeltaStatus::kBeyondBounds, {0}, 1},
      {"literals past the output", {0x03, 1, 2, 3}, 2, 0, DeltaStatus::kBeyondBounds, {}, 0},
      {"forward past the reference", {0xA5, 0x03}, 10, 0, DeltaStatus::kBeyondBounds, {}, 0},
      {"forward to the very end is allowed", {0xA4, 0x03, 0x00}, 10, 0, DeltaStatus::kComplete,
       {}, 100},
      {"cut off inside a literal run", {0x03, 1, 2}, 10, 0, DeltaStatus::kStreamFailed, {1, 2}, 0},
      {"cut off at the extension byte", {0x41, 0x60}, 10, 0, DeltaStatus::kStreamFailed, {0}, 1},
      {"failing after an operation", {0x41}, 10, 0, DeltaStatus::kStreamFailed, {0}, 1, true},
      {"failing inside a literal run", {0x02, 9}, 10, 0, DeltaStatus::kStreamFailed, {9}, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = apply(ref, c.delta, c.output_size, c.start, c.fails_at_end);
    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(got.output, c.output);
    EXPECT_EQ(got.position, c.position) << "left where the last operation put it";
  }
}

// --- through the host -------------------------------------------------------------

class DeltaSubroutines : public ::testing::Test {
 protected:
  void SetUp() override { host.load(std::string(TW_LIB_DIR) + "/blockio32a.so"); }

  static void expect_clean(const host::CallOutcome& out) {
    EXPECT_EQ(out.leaked, 0u);
    EXPECT_TRUE(out.memory_faults.empty()) << out.memory_faults.front();
  }

  host::Host host;
};

TEST_F(DeltaSubroutines, GenerateAndApplyRoundTrip) {
  std::mt19937 rng(23);
  const Bytes old = random_bytes(rng, 50000, 16);
  const Bytes now = edited(rng, old, 16);

  const auto gen = host.call("CpioGen").value(old).buffer(now).run();
  expect_clean(gen);
  EXPECT_EQ(gen.status, 0);
  EXPECT_TRUE(gen.errors.empty());
  EXPECT_EQ(gen.emitted, generate(old, now));

  const auto applied = host.call("CpioApply")
                           .buffer(old)
                           .stream(gen.emitted)
                           .integer(static_cast<std::int32_t>(now.size() + 1000))
                           .on_result([&](host::ActiveCall& call) {
                             const auto* d = call.record().buffer;
                             EXPECT_EQ(d->capacity, now.size() + 1000);
                             EXPECT_EQ(d->position, 0u);
                             EXPECT_EQ(d->length, now.size()) << "shorter than the size given";
                             return 4;
                           })
                           .run();
  expect_clean(applied);
  EXPECT_EQ(applied.status, 4);
  ASSERT_EQ(applied.handoffs.size(), 1u);
  EXPECT_EQ(applied.handoffs[0], now);
  ASSERT_TRUE(applied.buffer_after);
  EXPECT_EQ(applied.buffer_after->position, apply(old, gen.emitted, now.size()).position)
      << "the reference position is left where the delta put it";
}

TEST_F(DeltaSubroutines, Errors) {
  const Bytes ref(20, 1);
  struct Case {
    const char* name;
    const char* subroutine;
    std::optional<Bytes> buffer;
    Bytes value;
    Bytes stream;
    std::int32_t size;
    std::int32_t code;
    std::int32_t status;
  };
  const Case cases[] = {
      {"CpioGen without a buffer", "CpioGen", std::nullopt, ref, {}, 0, 35, 2},
      {"CpioGen with an empty reference", "CpioGen", ref, {}, {}, 0, 67, 2},
      {"CpioApply without a buffer", "CpioApply", std::nullopt, {}, {0x01, 5}, 10, 35, 2},
      {"CpioApply with size 0", "CpioApply", ref, {}, {0x01, 5}, 0, 70, 0},
      {"cut off inside a literal run", "CpioApply", ref, {}, {0x05, 1, 2}, 10, 74, 0},
      {"move back from 0", "CpioApply", ref, {}, {0xC1}, 10, 76, 0},
      {"copy past the reference", "CpioApply", ref, {}, {0x55}, 100, 77, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto call = host.call(c.subroutine).value(c.value).stream(c.stream).integer(c.size);
    if (c.buffer) call.buffer(*c.buffer);
    bool ran = false;
    const auto out = call.on_result([&](host::ActiveCall&) {
      ran = true;
      return 0;
    }).run();
    EXPECT_EQ(out.errors, std::vector<std::int32_t>{c.code});
    EXPECT_EQ(out.status, c.status);
    EXPECT_FALSE(ran) << "nothing reaches the script";
    EXPECT_TRUE(out.emitted.empty());
    expect_clean(out);
  }

  // A failing stream and a failing allocation.
  const auto failed = host.call("CpioApply").buffer(ref).stream({0x02, 1, 2}).stream_fails_after(1)
                          .integer(10).run();
  EXPECT_EQ(failed.errors, std::vector<std::int32_t>{74});
  host.ledger().fail_next_allocations(1);
  const auto no_memory = host.call("CpioGen").value(ref).buffer(ref).run();
  EXPECT_EQ(no_memory.errors, std::vector<std::int32_t>{256 + ENOMEM});
  EXPECT_TRUE(no_memory.emitted.empty()) << "nothing is written before the search can run";
  expect_clean(no_memory);
}

}  // namespace
