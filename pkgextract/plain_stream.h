// The archive's plain bytes: read from the archive input in pieces of 5,120
// bytes, turned from DidivIziv text into bytes and deciphered as the run's
// settings say. The block reader and the Bwt2 decoder take their input from
// here.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "codec/byte_io.h"
#include "pkgextract/archive_input.h"
#include "pkgextract/key_cipher.h"
#include "pkgextract/messages.h"
#include "pkgextract/text_carrier.h"

namespace pkgx {

inline constexpr std::size_t kPlainBufferSize = 5120;
inline constexpr std::size_t kRawKeyBufferSize = 5120;
inline constexpr std::size_t kRawTextBufferSize = 34140;
inline constexpr std::size_t kUnitsPerRefill = 80;

struct Layers {
  bool text = false;                 // DidivIziv carrier
  std::optional<std::string> key;    // cipher
};

class PlainStream final : public codec::ByteSource {
 public:
  PlainStream(ArchiveInput& input, const Layers& layers, Messenger& messenger);

  std::span<const std::uint8_t> peek() override;
  void consume(std::size_t count) override { position_ += count; }

  // Bytes of the plain buffers used up so far.
  std::uint32_t progress() const { return progress_; }
  // Passes over up to `count` bytes (fewer when the input ends first).
  void skip(std::size_t count);

 private:
  void refill();
  // One read into the raw buffer and the conversion of what it holds;
  // false when the read delivered nothing and nothing was converted.
  bool read_and_convert_key();
  bool read_and_convert_text();
  void report(const TextConversion& conversion);

  ArchiveInput& input_;
  Messenger& messenger_;
  bool text_;
  std::optional<KeyCipher> cipher_;
  TextDecoder text_decoder_;

  std::vector<std::uint8_t> plain_;
  std::size_t position_ = 0;
  std::vector<std::uint8_t> raw_;  // bytes (key mode) or characters (text mode)
  std::size_t carried_ = 0;        // raw bytes not yet converted, at the front
  bool ended_ = false;
  std::uint32_t progress_ = 0;
};

}  // namespace pkgx
