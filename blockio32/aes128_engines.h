// The two implementations behind Aes128, over raw pointers and a block
// count. Private to the cipher.
#pragma once

#include <cstddef>
#include <cstdint>

namespace blockio::aes_engines {

namespace portable {
void expand_key(const std::uint8_t* key, std::uint32_t* schedule);
void encrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks);
void decrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks);
}  // namespace portable

namespace instructions {
// False on processors (or architectures) without the AES instructions; the
// other functions must then not be called.
bool available();
void expand_key(const std::uint8_t* key, std::uint32_t* schedule);
void encrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks);
void decrypt(const std::uint32_t* schedule, const std::uint8_t* in, std::uint8_t* out,
             std::size_t blocks);
}  // namespace instructions

}  // namespace blockio::aes_engines
