// The DidivIziv text carrier: bytes in printable characters, 64 bytes to a
// unit of 88 characters, on numbered lines ended by CR LF. Every line after
// the first opens with an 8-character header: the five-digit line number,
// one free character and two check characters for the previous line. The
// reader supplies the first line's header itself (kFirstLineHeader).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pkgx {

inline constexpr std::size_t kTextUnit = 88;
inline constexpr std::size_t kTextUnitBytes = 64;
inline constexpr std::size_t kLineHeaderSize = 8;
inline constexpr char kFirstLineHeader[] = "00001:KM";
inline constexpr std::uint8_t kCheckMask1 = 0x0B;
inline constexpr std::uint8_t kCheckMask2 = 0x0D;

// The line check sum after one more data unit (characters 0 to 84 summed
// from the last one down).
std::uint16_t add_unit_to_checksum(std::uint16_t checksum, std::span<const char, kTextUnit> unit);

// The 64 bytes that one unit carries.
void unit_to_bytes(std::span<const char, kTextUnit> unit, std::span<std::uint8_t, kTextUnitBytes> out);

// The five header digits of a line number (it runs on past 99,999 in the
// last five digits).
void line_number_digits(long line, char out[5]);

enum class TextError { kNone, kLineMissing, kCheckFailed };

struct TextConversion {
  std::size_t consumed = 0;  // characters used from the front of the input
  std::size_t units = 0;     // units decoded (64 bytes each, appended)
  TextError error = TextError::kNone;
  long line = 0;             // the expected line number, for an error
};

// Decodes text read in pieces of any size: the state (header characters
// still expected, check sum, line count) runs on from one call to the next.
class TextDecoder {
 public:
  // Works while at least one whole unit's worth of characters is left and
  // fewer than `max_units` units were decoded; the rest is for the next
  // call, in front of the next read. Stops at the first error.
  TextConversion convert(std::span<const char> text, std::size_t max_units,
                         std::vector<std::uint8_t>& out);

  long expected_line() const { return (controls_ + 2) / 2; }

 private:
  long controls_ = 0;  // control characters seen so far
  std::size_t header_left_ = kLineHeaderSize;
  std::uint32_t checksum_ = 0;
};

}  // namespace pkgx
