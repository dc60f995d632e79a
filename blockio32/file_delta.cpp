#include "blockio32/file_delta.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace blockio {
namespace {

enum Kind : std::uint8_t { kLiterals = 0, kCopy = 1, kForward = 2, kBack = 3 };

constexpr std::uint32_t kHashSize = 8192;
constexpr std::uint32_t kWindow = 8192;  // candidates must lie closer than this to r
constexpr std::uint32_t kMaxValue = 8191;
constexpr std::uint32_t kMaxLiteralRun = 250;
constexpr std::uint32_t kShortestCopy = 4;
// Ending a literal run costs an operation byte, so a shorter copy is not
// worth it while literals are pending.
constexpr std::uint32_t kShortestCopyAfterLiterals = 7;
constexpr std::uint8_t kExtensionBit = 0x20;
constexpr std::uint8_t kLowBits = 0x1F;

std::uint32_t pair_hash(std::uint8_t a, std::uint8_t b) {
  return (97u * a + 23u * b) % kHashSize;
}

// Leading bytes on which a and b agree, at most `limit`.
std::size_t common_prefix(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  std::size_t n = 0;
  for (; n + 8 <= limit; n += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a + n, 8);
    std::memcpy(&y, b + n, 8);
    if (x != y) {
      const std::uint64_t diff = x ^ y;
      return n + static_cast<std::size_t>(std::endian::native == std::endian::little
                                              ? std::countr_zero(diff) / 8
                                              : std::countl_zero(diff) / 8);
    }
  }
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

// The reference positions that start each two-byte hash, ascending per hash.
// Position 0 is left out: the search never finds it by hash. This holds the
// same candidates, in the same order, as chains of positions threaded
// through a table of heads, but finds the window around r by binary search
// instead of walking past everything after it.
class CandidateIndex {
 public:
  CandidateIndex(std::span<const std::uint8_t> reference, std::pmr::memory_resource* memory)
      : starts_(kHashSize + 1, 0, memory), positions_(memory) {
    const std::size_t last = reference.size() < 2 ? 0 : reference.size() - 2;
    positions_.resize(last);
    const auto hash_at = [&](std::size_t p) { return pair_hash(reference[p], reference[p + 1]); };
    // Count, sum up to each hash's end, then fill backwards so that each
    // hash's positions end up ascending and starts_ at their beginnings.
    for (std::size_t p = 1; p <= last; ++p) ++starts_[hash_at(p)];
    for (std::uint32_t h = 1; h < kHashSize; ++h) starts_[h] += starts_[h - 1];
    starts_[kHashSize] = static_cast<std::uint32_t>(last);
    for (std::size_t p = last; p >= 1; --p)
      positions_[--starts_[hash_at(p)]] = static_cast<std::uint32_t>(p);
  }

  std::span<const std::uint32_t> positions(std::uint32_t hash) const {
    return std::span(positions_).subspan(starts_[hash], starts_[hash + 1] - starts_[hash]);
  }

 private:
  std::pmr::vector<std::uint32_t> starts_;
  std::pmr::vector<std::uint32_t> positions_;
};

class DeltaWriter {
 public:
  explicit DeltaWriter(codec::ByteSink& sink) : sink_(sink) {}

  void operation(Kind kind, std::uint32_t value) {
    std::uint8_t bytes[2];
    bytes[0] = static_cast<std::uint8_t>(kind << 6 | (value & kLowBits));
    if (value <= kLowBits) {
      sink_.write(std::span(bytes, 1));
    } else {
      bytes[0] |= kExtensionBit;
      bytes[1] = static_cast<std::uint8_t>(value >> 5);
      sink_.write(std::span(bytes, 2));
    }
  }

  void literals(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return;
    operation(kLiterals, static_cast<std::uint32_t>(bytes.size()));
    sink_.write(bytes);
  }

 private:
  codec::ByteSink& sink_;
};

struct Match {
  std::size_t length = 0;
  std::size_t position = 0;
};

class MatchFinder {
 public:
  MatchFinder(std::span<const std::uint8_t> reference, std::span<const std::uint8_t> target,
              std::pmr::memory_resource* memory)
      : reference_(reference), target_(target), index_(reference, memory) {}

  // The longest match for target[t..] among the candidates; among equal
  // lengths the first found, that is the highest position.
  Match best(std::size_t t, std::size_t r) const {
    const std::size_t left = target_.size() - t;
    Match best;
    if (left < 2) return best;
    const std::size_t limit = std::min<std::size_t>(left, kMaxValue);
    if (t == 0) {
      consider(0, t, limit, best);
      return best;
    }
    const auto candidates = index_.positions(pair_hash(target_[t], target_[t + 1]));
    // Newest first, passing over those at r + kWindow or beyond and stopping
    // at the first at r - kWindow or before; also stopping once a match has
    // the full limit, since only a longer one could replace it.
    auto it = std::lower_bound(candidates.begin(), candidates.end(), r + kWindow);
    while (it != candidates.begin() && best.length < limit) {
      const std::size_t p = *--it;
      if (p + kWindow <= r) break;
      consider(p, t, limit, best);
    }
    return best;
  }

 private:
  void consider(std::size_t p, std::size_t t, std::size_t limit, Match& best) const {
    // A match never takes in the reference's last byte.
    if (p + 1 >= reference_.size()) return;
    const std::size_t cap = std::min(limit, reference_.size() - 1 - p);
    // Only a strictly longer match counts; checking the byte that would
    // make it longer first skips most candidates at once.
    if (cap <= best.length || target_[t + best.length] != reference_[p + best.length]) return;
    const std::size_t length = common_prefix(&target_[t], &reference_[p], cap);
    if (length > best.length) best = {length, p};
  }

  std::span<const std::uint8_t> reference_;
  std::span<const std::uint8_t> target_;
  CandidateIndex index_;
};

}  // namespace

void generate_delta(std::span<const std::uint8_t> reference,
                    std::span<const std::uint8_t> target, codec::ByteSink& sink,
                    std::pmr::memory_resource* memory) {
  const MatchFinder finder(reference, target, memory);
  DeltaWriter out(sink);
  std::size_t t = 0;
  std::size_t r = 0;
  std::size_t pending = 0;  // literals waiting: target[t - pending, t)
  while (t < target.size()) {
    const Match match = finder.best(t, r);
    const std::size_t shortest = pending > 0 ? kShortestCopyAfterLiterals : kShortestCopy;
    if (match.length < shortest) {
      ++pending;
      ++t;
      if (pending == kMaxLiteralRun || t == target.size()) {
        out.literals(target.subspan(t - pending, pending));
        pending = 0;
      }
      continue;
    }
    out.literals(target.subspan(t - pending, pending));
    pending = 0;
    if (match.position > r)
      out.operation(kForward, static_cast<std::uint32_t>(match.position - r));
    else if (match.position < r)
      out.operation(kBack, static_cast<std::uint32_t>(r - match.position));
    out.operation(kCopy, static_cast<std::uint32_t>(match.length));
    r = match.position + match.length;
    t += match.length;
  }
}

DeltaApplied apply_delta(std::span<const std::uint8_t> reference, std::uint32_t& position,
                         DeltaSource& delta, std::span<std::uint8_t> output) {
  const auto is_byte = [](std::int32_t b) { return b >= 0 && b <= 0xFF; };
  std::size_t produced = 0;
  const auto result = [&produced](DeltaStatus status) { return DeltaApplied{status, produced}; };
  for (;;) {
    const std::int32_t op = delta.next_byte();
    if (op < 0) return result(DeltaStatus::kStreamFailed);
    if (op > 0xFF) return result(DeltaStatus::kComplete);
    std::uint32_t value = static_cast<std::uint32_t>(op) & kLowBits;
    if ((op & kExtensionBit) != 0) {
      const std::int32_t extension = delta.next_byte();
      if (!is_byte(extension)) return result(DeltaStatus::kStreamFailed);
      value += 32u * static_cast<std::uint32_t>(extension);
    }
    const std::uint64_t at = position;
    switch (static_cast<Kind>(op >> 6)) {
      case kLiterals:
        if (value == 0) return result(DeltaStatus::kComplete);
        if (produced + value > output.size()) return result(DeltaStatus::kBeyondBounds);
        for (std::uint32_t i = 0; i < value; ++i) {
          // A delta cut off inside the run is damaged, not padded with zeros.
          const std::int32_t b = delta.next_byte();
          if (!is_byte(b)) return result(DeltaStatus::kStreamFailed);
          output[produced++] = static_cast<std::uint8_t>(b);
        }
        break;
      case kCopy:
        if (produced + value > output.size() || at + value > reference.size())
          return result(DeltaStatus::kBeyondBounds);
        std::copy_n(reference.begin() + static_cast<std::ptrdiff_t>(at), value,
                    output.begin() + static_cast<std::ptrdiff_t>(produced));
        produced += value;
        position += value;
        break;
      case kForward:
        if (at + value > reference.size()) return result(DeltaStatus::kBeyondBounds);
        position += value;
        break;
      case kBack:
        if (value > position) return result(DeltaStatus::kBeforeReference);
        position -= value;
        break;
    }
  }
}

}  // namespace blockio
