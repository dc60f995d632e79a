// AesKey, AesEncrypt and AesDecrypt, and the cipher functions that other
// libraries reach through the host-services vector.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "addon/handler.h"
#include "blockio32/aes128.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {

using addon::CallRecord;

// The key the three subroutines share, for as long as the library is
// loaded. Every round key is zero until the first AesKey.
class LibraryKey {
 public:
  const Aes128::Schedule& schedule() const { return schedule_; }

  // Folds a value of any length into 16 key bytes (byte i goes into key
  // byte i mod 16) and makes it the key.
  void replace(std::span<const std::uint8_t> value) {
    std::uint8_t key[Aes128::kKeySize] = {};
    for (std::size_t i = 0; i < value.size(); ++i) key[i % Aes128::kKeySize] ^= value[i];
    Aes128::expand_key(key, schedule_);
    std::fill_n(static_cast<volatile std::uint8_t*>(key), sizeof key, 0);  // as secret as the schedule
  }

 private:
  Aes128::Schedule schedule_{};
};

constinit LibraryKey library_key;

// A result buffer from slot 147, given back with slot 148 on every way out.
class ResultBuffer {
 public:
  ResultBuffer(CallRecord& record, std::uint32_t size)
      : record_(record), size_(size),
        data_(static_cast<std::uint8_t*>(
            record.services->call<addon::slot::AllocateResult>(&record, size))) {}
  ~ResultBuffer() {
    if (data_ != nullptr)
      record_.services->call<addon::slot::ReleaseResult>(&record_, data_, size_);
  }
  ResultBuffer(const ResultBuffer&) = delete;
  ResultBuffer& operator=(const ResultBuffer&) = delete;

  // An empty result needs no block, so a null one is no failure then.
  bool failed() const { return data_ == nullptr && size_ != 0; }
  std::span<std::uint8_t> bytes() const { return {data_, size_}; }

 private:
  CallRecord& record_;
  std::uint32_t size_;
  std::uint8_t* data_;
};

enum class Direction { kEncrypt, kDecrypt };

// Both directions work on the value rounded up to whole blocks, the last
// block padded with zeros. Cipher text should come in whole blocks; one
// that does not is padded rather than read past its end.
std::int32_t run_ecb(CallRecord& record, Direction direction) {
  const auto value = addon::value_bytes(record);
  const std::uint64_t padded =
      (std::uint64_t{value.size()} + Aes128::kBlockSize - 1) / Aes128::kBlockSize *
      Aes128::kBlockSize;
  if (padded > UINT32_MAX) return addon::report_system_error(record, ENOMEM);

  ResultBuffer result(record, static_cast<std::uint32_t>(padded));
  if (result.failed()) return addon::report_system_error(record, ENOMEM);
  const auto bytes = result.bytes();
  std::copy(value.begin(), value.end(), bytes.begin());
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(value.size()), bytes.end(), 0);
  if (direction == Direction::kEncrypt)
    Aes128::encrypt(library_key.schedule(), bytes, bytes);
  else
    Aes128::decrypt(library_key.schedule(), bytes, bytes);

  addon::BufferDescriptor handed{bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0,
                                 static_cast<std::uint32_t>(bytes.size())};
  addon::CurrentBufferScope scope(record, handed);
  return scope.run_with_result();
}

}  // namespace

std::int32_t AesKey(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) {
    library_key.replace(addon::value_bytes(r));
    return addon::kCompleted;
  });
}

std::int32_t AesEncrypt(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) { return run_ecb(r, Direction::kEncrypt); });
}

std::int32_t AesDecrypt(CallRecord* record) {
  return addon::guarded(record, [](CallRecord& r) { return run_ecb(r, Direction::kDecrypt); });
}

void aes_expand_key_slot(const std::uint8_t* key, std::uint32_t* schedule) {
  Aes128::expand_key(Aes128::Key(key, Aes128::kKeySize),
                     std::span<std::uint32_t, Aes128::kScheduleWords>(schedule,
                                                                      Aes128::kScheduleWords));
}

void aes_encrypt_block_slot(const std::uint8_t* in, const std::uint32_t* schedule,
                            std::uint8_t* out) {
  Aes128::encrypt(Aes128::ScheduleView(schedule, Aes128::kScheduleWords),
                  {in, Aes128::kBlockSize}, {out, Aes128::kBlockSize});
}

void aes_decrypt_block_slot(const std::uint8_t* in, const std::uint32_t* schedule,
                            std::uint8_t* out) {
  Aes128::decrypt(Aes128::ScheduleView(schedule, Aes128::kScheduleWords),
                  {in, Aes128::kBlockSize}, {out, Aes128::kBlockSize});
}

}  // namespace blockio
