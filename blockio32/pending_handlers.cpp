// Subroutines whose implementation has not landed yet. Each reports
// "function not implemented" and fails; each moves to its own file when it
// is written, and this file goes away.
#include <cerrno>

#include "addon/handler.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {
std::int32_t not_yet(addon::CallRecord* record) {
  return addon::report_system_error(*record, ENOSYS);
}
}  // namespace

std::int32_t CpioApply(addon::CallRecord* r) { return not_yet(r); }
std::int32_t CpioGen(addon::CallRecord* r) { return not_yet(r); }
std::int32_t BmapOpen(addon::CallRecord* r) { return not_yet(r); }
std::int32_t BmapRow(addon::CallRecord* r) { return not_yet(r); }
std::int32_t Bwt2Unpack(addon::CallRecord* r) { return not_yet(r); }
std::int32_t Bwt2Pack(addon::CallRecord* r) { return not_yet(r); }
std::int32_t AesKey(addon::CallRecord* r) { return not_yet(r); }
std::int32_t AesEncrypt(addon::CallRecord* r) { return not_yet(r); }
std::int32_t AesDecrypt(addon::CallRecord* r) { return not_yet(r); }
void aes_expand_key_slot(const std::uint8_t*, std::uint32_t*) {}
void aes_encrypt_block_slot(const std::uint8_t*, const std::uint32_t*, std::uint8_t*) {}
void aes_decrypt_block_slot(const std::uint8_t*, const std::uint32_t*, std::uint8_t*) {}

}  // namespace blockio
