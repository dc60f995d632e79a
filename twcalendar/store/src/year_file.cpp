#include "twcal/year_file.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "twcal/year_store.h"

namespace twcal {
namespace {

constexpr std::string_view kTagPrefix = "dt";
constexpr char kTagEnd = '\t';
constexpr char kTagFormat[] = "dt%04zu\t";
constexpr std::size_t kPaddedDigits = 4;
// Tag numbers never exceed the number of tags a file can hold; longer digit
// runs are not tags.
constexpr std::size_t kMaxTagDigits = 9;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct Tag {
  std::size_t position;
  std::size_t number;
  std::size_t length;
};

// Every tag in `file`, in order: "dt", the digits year_file_tag() writes for
// its number, and a TAB. Tags never overlap.
std::vector<Tag> find_tags(std::string_view file) {
  std::vector<Tag> tags;
  for (std::size_t at = file.find(kTagPrefix); at != std::string_view::npos;
       at = file.find(kTagPrefix, at + 1)) {
    const std::size_t digits = at + kTagPrefix.size();
    std::size_t end = digits;
    while (end < file.size() && is_digit(file[end]) && end - digits <= kMaxTagDigits) ++end;
    const std::size_t count = end - digits;
    if (end >= file.size() || file[end] != kTagEnd || count < kPaddedDigits || count > kMaxTagDigits)
      continue;
    if (count > kPaddedDigits && file[digits] == '0') continue;  // padding only up to four digits
    std::size_t number = 0;
    for (std::size_t i = digits; i < end; ++i) number = number * 10 + static_cast<std::size_t>(file[i] - '0');
    if (number == 0) continue;
    tags.push_back({at, number, end + 1 - at});
  }
  return tags;
}

// How much the text before each tag has shrunk through the tags replaced so
// far (a Fenwick tree over the tags in file order).
class Shrinkage {
 public:
  explicit Shrinkage(std::size_t tags) : tree_(tags + 1, 0) {}
  void add(std::size_t tag, std::size_t amount) {
    for (std::size_t i = tag + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += amount;
  }
  // Total shrinkage of the tags before `tag`.
  std::size_t before(std::size_t tag) const {
    std::size_t sum = 0;
    for (std::size_t i = tag; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  std::vector<std::size_t> tree_;
};

}  // namespace

std::filesystem::path year_file_path(const std::filesystem::path& product_dir, int year) {
  return product_dir / kYearFileDirectory / (std::to_string(year) + std::string(kYearFileExtension));
}

std::string year_file_tag(std::size_t n) {
  char tag[32];
  std::snprintf(tag, sizeof tag, kTagFormat, n);
  return tag;
}

std::string year_store_from_file(std::string_view file) {
  const std::vector<Tag> tags = find_tags(file);
  std::map<std::size_t, std::vector<std::size_t>> by_number;  // tag number -> indices in file order
  for (std::size_t i = 0; i < tags.size(); ++i) by_number[tags[i].number].push_back(i);

  // Tag n is looked for from where tag n-1 was found, counted in the text as
  // it stands after the replacements so far; once found, every copy of it
  // becomes a separator, wherever it stands.
  Shrinkage shrinkage(tags.size());
  auto position_now = [&](std::size_t tag) { return tags[tag].position - shrinkage.before(tag); };
  std::vector<bool> replaced(tags.size(), false);
  std::size_t from = 0;
  for (std::size_t n = 1;; ++n) {
    const auto copies = by_number.find(n);
    if (copies == by_number.end()) break;
    const auto& indices = copies->second;
    const auto found = std::partition_point(indices.begin(), indices.end(),
                                            [&](std::size_t tag) { return position_now(tag) < from; });
    if (found == indices.end()) break;
    from = position_now(*found);
    for (std::size_t tag : indices) {
      replaced[tag] = true;
      shrinkage.add(tag, tags[tag].length - 1);
    }
  }

  std::string store;
  store.reserve(file.size() + 1);
  std::size_t copied = 0;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (!replaced[i]) continue;
    store.append(file.substr(copied, tags[i].position - copied));
    store += kRecordSeparator;
    copied = tags[i].position + tags[i].length;
  }
  store.append(file.substr(copied));
  store += kRecordSeparator;
  return store;
}

std::string year_file_from_store(std::string_view store) {
  if (store.size() <= 1) return {};
  if (store.back() == kRecordSeparator) store.remove_suffix(1);
  std::string file;
  file.reserve(store.size() + store.size() / 8);
  std::size_t n = 0;
  for (std::size_t i = 0; i < store.size(); ++i) {
    if (store[i] != kRecordSeparator) {
      file += store[i];
      continue;
    }
    if (i > 0 && store[i - 1] != '\n') file += '\n';
    file += year_file_tag(++n);
  }
  return file;
}

}  // namespace twcal
