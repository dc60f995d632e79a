// Suffix sorting by induced sorting (SA-IS).
//
// The table order is exactly the reverse of the usual suffix order (where
// the end of a string is smallest) taken over the complemented bytes
// 255 - b: a larger byte becomes a smaller one, and a shorter suffix that is
// a prefix of a longer one moves from first to last. So the usual algorithm
// runs on the complemented block and the result is read backwards.
//
// The usual algorithm, on a text T of n symbols with a virtual sentinel at n
// that is smaller than every symbol:
//  - a suffix is S-type when it is smaller than the next one, L-type when
//    larger; an S-type suffix after an L-type one is leftmost-S (LMS);
//  - the LMS suffixes put at their buckets' ends, a left-to-right pass
//    induces the order of the L-type suffixes and a right-to-left pass that
//    of the S-type ones, which sorts the LMS substrings;
//  - the LMS substrings are named by rank; if two are equal the string of
//    names is sorted recursively, and the sorted LMS suffixes induce the
//    final order in one more pair of passes.
#include "codec/suffix_sort.h"

#include <algorithm>
#include <cassert>
#include <vector>

namespace codec {
namespace {

constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

using WordVector = std::pmr::vector<std::uint32_t>;

// The block as the algorithm sees it at the top level.
struct ComplementedBytes {
  const std::uint8_t* bytes;
  std::uint32_t operator[](std::size_t i) const { return 255u - bytes[i]; }
};

// A reduced string of names at the deeper levels.
struct Names {
  const std::uint32_t* names;
  std::uint32_t operator[](std::size_t i) const { return names[i]; }
};

// One bit per suffix: set for S-type.
class SuffixTypes {
 public:
  template <class Text>
  SuffixTypes(const Text& text, std::uint32_t n, std::pmr::memory_resource* memory)
      : bits_((n + 63) / 64, 0, memory) {
    // The last suffix is L-type: the sentinel after it is smaller.
    bool next_is_s = false;
    std::uint32_t next = 0;
    for (std::uint32_t i = n; i-- > 0;) {
      const std::uint32_t c = text[i];
      const bool is_s = i + 1 < n && (c < next || (c == next && next_is_s));
      if (is_s) bits_[i / 64] |= std::uint64_t{1} << (i % 64);
      next_is_s = is_s;
      next = c;
    }
  }

  bool is_s(std::uint32_t i) const { return (bits_[i / 64] >> (i % 64)) & 1; }
  bool is_lms(std::uint32_t i) const { return i > 0 && is_s(i) && !is_s(i - 1); }

 private:
  std::pmr::vector<std::uint64_t> bits_;
};

// Bucket boundaries per symbol. Small alphabets keep their counts; large
// ones (the names of deeper levels) count again each time to save memory.
template <class Text>
class Buckets {
 public:
  Buckets(const Text& text, std::uint32_t n, std::uint32_t alphabet,
          std::pmr::memory_resource* memory)
      : text_(text), n_(n), bounds_(alphabet, 0, memory), counts_(memory) {
    if (alphabet <= kCachedAlphabet) {
      counts_.assign(alphabet, 0);
      count_into(counts_);
    }
  }

  // bounds[c] = first row of bucket c.
  std::uint32_t* heads() {
    load_counts();
    std::uint32_t sum = 0;
    for (auto& b : bounds_) {
      const std::uint32_t count = b;
      b = sum;
      sum += count;
    }
    return bounds_.data();
  }

  // bounds[c] = one past the last row of bucket c.
  std::uint32_t* tails() {
    load_counts();
    std::uint32_t sum = 0;
    for (auto& b : bounds_) {
      sum += b;
      b = sum;
    }
    return bounds_.data();
  }

 private:
  static constexpr std::uint32_t kCachedAlphabet = 1u << 16;

  void count_into(WordVector& counts) const {
    std::fill(counts.begin(), counts.end(), 0);
    for (std::uint32_t i = 0; i < n_; ++i) ++counts[text_[i]];
  }

  void load_counts() {
    if (counts_.empty())
      count_into(bounds_);
    else
      std::copy(counts_.begin(), counts_.end(), bounds_.begin());
  }

  const Text& text_;
  std::uint32_t n_;
  WordVector bounds_;
  WordVector counts_;
};

// The two induction passes; `sa` holds the LMS suffixes at their buckets'
// ends and kEmpty elsewhere.
template <class Text>
void induce(const Text& text, std::uint32_t n, const SuffixTypes& types, Buckets<Text>& buckets,
            std::uint32_t* sa) {
  std::uint32_t* head = buckets.heads();
  // The sentinel comes first and is preceded by the last suffix (L-type).
  sa[head[text[n - 1]]++] = n - 1;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t j = sa[i];
    if (j != kEmpty && j > 0 && !types.is_s(j - 1)) sa[head[text[j - 1]]++] = j - 1;
  }
  std::uint32_t* tail = buckets.tails();
  for (std::uint32_t i = n; i-- > 0;) {
    const std::uint32_t j = sa[i];
    if (j != kEmpty && j > 0 && types.is_s(j - 1)) sa[--tail[text[j - 1]]] = j - 1;
  }
}

// Two LMS substrings (each up to and including the next LMS position) are
// equal in symbols and types. The one that reaches the sentinel is unique.
template <class Text>
bool same_lms_substring(const Text& text, std::uint32_t n, const SuffixTypes& types,
                        std::uint32_t a, std::uint32_t b) {
  for (std::uint32_t d = 0;; ++d) {
    if (a + d == n || b + d == n) return false;
    if (text[a + d] != text[b + d] || types.is_s(a + d) != types.is_s(b + d)) return false;
    if (d > 0 && (types.is_lms(a + d) || types.is_lms(b + d))) return true;
  }
}

// The usual suffix array of text[0..n-1] (sentinel not included) into sa.
template <class Text>
void sais(const Text& text, std::uint32_t n, std::uint32_t alphabet, std::uint32_t* sa,
          std::pmr::memory_resource* memory) {
  if (n == 0) return;
  if (n == 1) {
    sa[0] = 0;
    return;
  }
  const SuffixTypes types(text, n, memory);

  // Sort the LMS substrings.
  std::uint32_t lms_count = 0;
  {
    Buckets<Text> buckets(text, n, alphabet, memory);
    std::fill(sa, sa + n, kEmpty);
    std::uint32_t* tail = buckets.tails();
    for (std::uint32_t i = n - 1; i > 0; --i)
      if (types.is_lms(i)) {
        sa[--tail[text[i]]] = i;
        ++lms_count;
      }
    induce(text, n, types, buckets, sa);
  }

  // Gather them in sorted order at the front, name them, and collect the
  // names in text order at the back. LMS positions are at least two apart,
  // so position / 2 gives each its own slot behind the front part.
  std::uint32_t m = 0;
  for (std::uint32_t i = 0; i < n; ++i)
    if (types.is_lms(sa[i])) sa[m++] = sa[i];
  assert(m == lms_count);
  std::fill(sa + m, sa + n, kEmpty);
  std::uint32_t name_count = 0;
  std::uint32_t previous = kEmpty;
  for (std::uint32_t i = 0; i < m; ++i) {
    const std::uint32_t position = sa[i];
    if (previous == kEmpty || !same_lms_substring(text, n, types, position, previous))
      ++name_count;
    previous = position;
    sa[m + position / 2] = name_count - 1;
  }
  std::uint32_t* reduced = sa + n - m;
  for (std::uint32_t i = n, j = n; i-- > m;)
    if (sa[i] != kEmpty) sa[--j] = sa[i];

  // Sort the LMS suffixes: by recursion while names repeat.
  std::uint32_t* reduced_sa = sa;
  if (name_count < m) {
    sais(Names{reduced}, m, name_count, reduced_sa, memory);
  } else {
    for (std::uint32_t i = 0; i < m; ++i) reduced_sa[reduced[i]] = i;
  }

  // Back from reduced positions to text positions.
  for (std::uint32_t i = 1, j = 0; i < n; ++i)
    if (types.is_lms(i)) reduced[j++] = i;
  for (std::uint32_t i = 0; i < m; ++i) reduced_sa[i] = reduced[reduced_sa[i]];
  std::fill(sa + m, sa + n, kEmpty);

  // Put the sorted LMS suffixes at their buckets' ends and induce the rest.
  Buckets<Text> buckets(text, n, alphabet, memory);
  std::uint32_t* tail = buckets.tails();
  for (std::uint32_t i = m; i-- > 0;) {
    const std::uint32_t j = sa[i];
    sa[i] = kEmpty;
    sa[--tail[text[j]]] = j;
  }
  induce(text, n, types, buckets, sa);
}

}  // namespace

void sort_suffixes(std::span<const std::uint8_t> block, std::span<std::uint32_t> rows,
                   std::pmr::memory_resource* memory) {
  const auto n = static_cast<std::uint32_t>(block.size());
  assert(rows.size() == std::size_t{n} + 1);
  sais(ComplementedBytes{block.data()}, n, 256, rows.data(), memory);
  // Usual order of the complement, backwards; the empty suffix (first in
  // the usual order) goes last.
  std::reverse(rows.begin(), rows.begin() + n);
  rows[n] = n;
}

}  // namespace codec
