#include "pkgextract/plain_stream.h"

#include <algorithm>
#include <cstring>

#include "pkgextract/texts.h"

namespace pkgx {

PlainStream::PlainStream(ArchiveInput& input, const Layers& layers, Messenger& messenger)
    : input_(input), messenger_(messenger), text_(layers.text) {
  if (layers.key) cipher_.emplace(*layers.key);
  plain_.reserve(kPlainBufferSize);
  if (text_) {
    raw_.resize(kRawTextBufferSize);
    // The first line's header is not in the text: the reader supplies it.
    std::memcpy(raw_.data(), kFirstLineHeader, kLineHeaderSize);
    carried_ = kLineHeaderSize;
  } else if (cipher_) {
    raw_.resize(kRawKeyBufferSize);
  }
}

std::span<const std::uint8_t> PlainStream::peek() {
  if (position_ >= plain_.size() && !ended_) refill();
  return std::span<const std::uint8_t>(plain_).subspan(std::min(position_, plain_.size()));
}

void PlainStream::skip(std::size_t count) {
  while (count > 0) {
    const auto bytes = peek();
    if (bytes.empty()) return;
    const std::size_t n = std::min(count, bytes.size());
    consume(n);
    count -= n;
  }
}

void PlainStream::refill() {
  progress_ += static_cast<std::uint32_t>(plain_.size());
  plain_.clear();
  position_ = 0;
  while (plain_.empty()) {
    bool more;
    if (text_) {
      more = read_and_convert_text();
    } else if (cipher_) {
      more = read_and_convert_key();
    } else {
      plain_.resize(kPlainBufferSize);
      plain_.resize(input_.read(plain_));
      more = !plain_.empty();
    }
    if (!more) {
      ended_ = true;
      return;
    }
  }
}

bool PlainStream::read_and_convert_key() {
  const std::size_t got = input_.read(std::span(raw_).subspan(carried_));
  const std::size_t have = carried_ + got;
  std::size_t used = 0;
  while (have - used >= kCipherUnit && plain_.size() < kUnitsPerRefill * kCipherUnit) {
    const std::size_t at = plain_.size();
    plain_.insert(plain_.end(), raw_.begin() + static_cast<std::ptrdiff_t>(used),
                  raw_.begin() + static_cast<std::ptrdiff_t>(used + kCipherUnit));
    cipher_->decipher(std::span(plain_).subspan(at).first<kCipherUnit>());
    used += kCipherUnit;
  }
  std::memmove(raw_.data(), raw_.data() + used, have - used);
  carried_ = have - used;
  return got > 0 || used > 0;
}

bool PlainStream::read_and_convert_text() {
  const std::size_t got = input_.read(std::span(raw_).subspan(carried_));
  const std::size_t have = carried_ + got;
  const std::size_t first_unit = plain_.size();
  const TextConversion conversion = text_decoder_.convert(
      {reinterpret_cast<const char*>(raw_.data()), have}, kUnitsPerRefill, plain_);
  report(conversion);
  if (cipher_) {
    for (std::size_t at = first_unit; at < plain_.size(); at += kCipherUnit)
      cipher_->decipher(std::span(plain_).subspan(at).first<kCipherUnit>());
  }
  std::memmove(raw_.data(), raw_.data() + conversion.consumed, have - conversion.consumed);
  carried_ = have - conversion.consumed;
  return got > 0 || conversion.consumed > 0;
}

void PlainStream::report(const TextConversion& conversion) {
  switch (conversion.error) {
    case TextError::kNone:
      return;
    case TextError::kLineMissing:
      messenger_.fatal(format_number(text::kLineMissing, conversion.line), input_.name());
    case TextError::kCheckFailed:
      messenger_.fatal(format_number(text::kDidivError, conversion.line), input_.name());
  }
}

}  // namespace pkgx
