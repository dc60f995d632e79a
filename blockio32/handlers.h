// The named subroutines of blockio32 and its contributed cipher functions.
#pragma once

#include <cstdint>

#include "addon/abi.h"

namespace blockio {

// Table 1: package entries, file delta, bitmap reader.
std::int32_t CpioLoad(addon::CallRecord* record);
std::int32_t CpioApply(addon::CallRecord* record);
std::int32_t CpioArg(addon::CallRecord* record);
std::int32_t CpioGen(addon::CallRecord* record);
std::int32_t CpioChk(addon::CallRecord* record);
std::int32_t BmapOpen(addon::CallRecord* record);
std::int32_t BmapRow(addon::CallRecord* record);

// Table 2: block codec.
std::int32_t Bwt2Unpack(addon::CallRecord* record);
std::int32_t Bwt2Pack(addon::CallRecord* record);

// Table 3: AES on whole values.
std::int32_t AesKey(addon::CallRecord* record);
std::int32_t AesEncrypt(addon::CallRecord* record);
std::int32_t AesDecrypt(addon::CallRecord* record);

// Contributed to the host-services vector as slots 8, 9 and 10.
void aes_expand_key_slot(const std::uint8_t* key, std::uint32_t* schedule);
void aes_encrypt_block_slot(const std::uint8_t* in, const std::uint32_t* schedule,
                            std::uint8_t* out);
void aes_decrypt_block_slot(const std::uint8_t* in, const std::uint32_t* schedule,
                            std::uint8_t* out);

}  // namespace blockio
