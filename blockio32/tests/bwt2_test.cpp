// Bwt2Pack and Bwt2Unpack through the substitute host: streams byte by byte,
// the result buffer handed over in slot 143, every block given back.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>

#include "host/host.h"

namespace {

using host::Bytes;

std::string lib(char build) { return std::string(TW_LIB_DIR) + "/blockio32" + build + ".so"; }

Bytes sample(std::size_t size) {
  std::mt19937 rng(42);
  Bytes out(size);
  for (std::size_t i = 0; i < size; ++i)
    out[i] = static_cast<std::uint8_t>(i % 97 < 60 ? "tax return "[i % 11] : rng());
  return out;
}

void expect_tidy(const host::CallOutcome& outcome) {
  EXPECT_EQ(outcome.leaked, 0u);
  EXPECT_TRUE(outcome.memory_faults.empty()) << outcome.memory_faults.front();
}

class Bwt2 : public ::testing::Test {
 protected:
  void SetUp() override { host.load(lib('a')); }
  host::Host host;
};

TEST(Bwt2Builds, EveryBuildPacksAndUnpacks) {
  const Bytes value = sample(5000);
  for (const char build : {'a', 'b', 'c'}) {
    host::Host h;
    h.load(lib(build));
    const auto packed = h.call("Bwt2Pack").value(value).run();
    EXPECT_EQ(packed.status, 0) << build;
    expect_tidy(packed);
    const auto unpacked = h.call("Bwt2Unpack").stream(packed.emitted).run();
    EXPECT_EQ(unpacked.status, 0) << build;
    ASSERT_EQ(unpacked.handoffs.size(), 1u) << build;
    EXPECT_EQ(unpacked.handoffs[0], value) << build;
    expect_tidy(unpacked);
  }
}

TEST_F(Bwt2, ResultBufferIsDescribedAndTheStatusOfTheBlockReturned) {
  const Bytes value = sample(3000);
  const auto packed = host.call("Bwt2Pack").value(value).run();
  bool ran = false;
  const auto unpacked = host.call("Bwt2Unpack")
                            .stream(packed.emitted)
                            .buffer({1, 2, 3}, 16)
                            .on_result([&](host::ActiveCall& call) {
                              const addon::BufferDescriptor* d = call.record().buffer;
                              EXPECT_EQ(d->capacity, value.size());
                              EXPECT_EQ(d->position, 0u);
                              EXPECT_EQ(d->length, value.size());
                              EXPECT_EQ(call.current_buffer(), value);
                              ran = true;
                              return 7;  // a failure the script reports
                            })
                            .run();
  EXPECT_TRUE(ran);
  EXPECT_EQ(unpacked.status, 7);
  EXPECT_EQ(unpacked.buffer_bytes, (Bytes{1, 2, 3}));  // the caller's buffer, untouched
  expect_tidy(unpacked);  // includes offset 128 being restored
}

TEST_F(Bwt2, NestedCallsInsideTheBlockKeepTheOuterResult) {
  const Bytes outer = sample(4000);
  const Bytes inner = sample(100);
  const auto outer_stream = host.call("Bwt2Pack").value(outer).run().emitted;
  const auto inner_stream = host.call("Bwt2Pack").value(inner).run().emitted;
  const auto unpacked =
      host.call("Bwt2Unpack")
          .stream(outer_stream)
          .on_result([&](host::ActiveCall& call) {
            const auto nested = call.nested("Bwt2Unpack").stream(inner_stream).run();
            EXPECT_EQ(nested.handoffs.at(0), inner);
            EXPECT_EQ(call.current_buffer(), outer);
            return 0;
          })
          .run();
  EXPECT_EQ(unpacked.handoffs.at(0), outer);
  expect_tidy(unpacked);
}

TEST_F(Bwt2, EmptyAndUnreadableStreamsGiveNoResult) {
  const auto packed = host.call("Bwt2Pack").value(Bytes{}).run();
  EXPECT_EQ(packed.emitted, (Bytes{0, 0, 0}));
  EXPECT_EQ(packed.status, 0);

  const std::vector<host::CallOutcome> outcomes = {
      host.call("Bwt2Unpack").stream({0, 0, 0}).run(),
      host.call("Bwt2Unpack").stream({}).run(),
      host.call("Bwt2Unpack").stream({0, 0x10}).run(),
      host.call("Bwt2Unpack").stream({0, 0x10, 0}).stream_fails_after(1).run(),
  };
  for (const auto& outcome : outcomes) {
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.handoffs.empty());
    EXPECT_TRUE(outcome.errors.empty());
    expect_tidy(outcome);
  }
}

TEST_F(Bwt2, DamagedStreamStillHandsOverTheWholeBlock) {
  const Bytes value = sample(2000);
  Bytes stream = host.call("Bwt2Pack").value(value).run().emitted;
  const std::vector<host::CallOutcome> outcomes = {
      host.call("Bwt2Unpack").stream(Bytes(stream.begin(), stream.begin() + 200)).run(),
      host.call("Bwt2Unpack").stream(stream).stream_fails_after(300).run(),
  };
  for (const auto& outcome : outcomes) {
    EXPECT_EQ(outcome.status, 0);
    ASSERT_EQ(outcome.handoffs.size(), 1u);
    EXPECT_EQ(outcome.handoffs[0].size(), value.size());
    EXPECT_TRUE(outcome.errors.empty());
    expect_tidy(outcome);
  }
}

TEST_F(Bwt2, OutOfMemoryIsReportedAndNothingLeaks) {
  const Bytes value = sample(1000);
  const Bytes stream = host.call("Bwt2Pack").value(value).run().emitted;
  host.ledger().fail_next_allocations(1);
  const auto packed = host.call("Bwt2Pack").value(value).run();
  EXPECT_EQ(packed.status, addon::kFailed);
  EXPECT_EQ(packed.errors, (std::vector<std::int32_t>{addon::error::kSystemBase + ENOMEM}));
  expect_tidy(packed);

  host.ledger().fail_next_allocations(1);  // the output block
  const auto unpacked = host.call("Bwt2Unpack").stream(stream).run();
  EXPECT_EQ(unpacked.status, addon::kFailed);
  EXPECT_EQ(unpacked.errors, (std::vector<std::int32_t>{addon::error::kSystemBase + ENOMEM}));
  EXPECT_TRUE(unpacked.handoffs.empty());
  expect_tidy(unpacked);
}

TEST_F(Bwt2, ValueTooLongForTheLengthFieldFails) {
  const auto packed = host.call("Bwt2Pack").value(Bytes(0x1000000, 'x')).run();
  EXPECT_EQ(packed.status, addon::kFailed);
  EXPECT_EQ(packed.errors, (std::vector<std::int32_t>{addon::error::kSystemBase + EOVERFLOW}));
  EXPECT_TRUE(packed.emitted.empty());
  expect_tidy(packed);
}

}  // namespace
