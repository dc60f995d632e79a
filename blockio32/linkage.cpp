// blockio32's exported tables. Pure data: nothing runs when the library loads.
#include "addon/linkage.h"
#include "blockio32/handlers.h"

namespace blockio {
namespace {

using addon::ServiceVector;
using addon::SubroutineEntry;

constinit const SubroutineEntry kPackageSubroutines[] = {
    {"CpioLoad", &CpioLoad, 0x92, {}}, {"CpioApply", &CpioApply, 0x93, {}},
    {"CpioArg", &CpioArg, 0x91, {}},   {"CpioGen", &CpioGen, 0x95, {}},
    {"CpioChk", &CpioChk, 0x94, {}},   {"BmapOpen", &BmapOpen, 0x96, {}},
    {"BmapRow", &BmapRow, 0x97, {}},   {},
};

constinit const SubroutineEntry kCodecSubroutines[] = {
    {"Bwt2Unpack", &Bwt2Unpack, 0x65, {}},
    {"Bwt2Pack", &Bwt2Pack, 0x64, {}},
    {},
};

constinit const SubroutineEntry kCipherSubroutines[] = {
    {"AesKey", &AesKey, 0x23, {}},
    {"AesEncrypt", &AesEncrypt, 0x24, {}},
    {"AesDecrypt", &AesDecrypt, 0x25, {}},
    {},
};

// Function-pointer casts are address constants: the linker fills them in.
const addon::NumberedFunctionEntry kCipherFunctions[] = {
    {reinterpret_cast<ServiceVector::AnyFunction>(&aes_expand_key_slot), 8, 0},
    {reinterpret_cast<ServiceVector::AnyFunction>(&aes_encrypt_block_slot), 9, 0},
    {reinterpret_cast<ServiceVector::AnyFunction>(&aes_decrypt_block_slot), 10, 0},
    {},
};

}  // namespace
}  // namespace blockio

TW_ADDON_LINKAGE(nullptr,
                 {addon::kind::kNumberedFunctions, blockio::kCipherFunctions},
                 {addon::kind::kSubroutines, blockio::kPackageSubroutines},
                 {addon::kind::kSubroutines, blockio::kCodecSubroutines},
                 {addon::kind::kSubroutines, blockio::kCipherSubroutines})
