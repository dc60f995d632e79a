#include "blockio32/aes128.h"

#include <algorithm>

#include "blockio32/aes128_engines.h"

namespace blockio {
namespace {

namespace engines = aes_engines;

AesEngine usable(AesEngine engine) {
  return Aes128::has_engine(engine) ? engine : AesEngine::kPortable;
}

}  // namespace

bool Aes128::has_engine(AesEngine engine) {
  if (engine == AesEngine::kPortable) return true;
  // Asked once: the processor does not change under us.
  static const bool instructions = engines::instructions::available();
  return instructions;
}

AesEngine Aes128::fastest_engine() { return usable(AesEngine::kInstructions); }

void Aes128::expand_key(Key key, std::span<std::uint32_t, kScheduleWords> schedule,
                        AesEngine engine) {
  if (usable(engine) == AesEngine::kInstructions)
    engines::instructions::expand_key(key.data(), schedule.data());
  else
    engines::portable::expand_key(key.data(), schedule.data());
}

void Aes128::encrypt(ScheduleView schedule, std::span<const std::uint8_t> in,
                     std::span<std::uint8_t> out, AesEngine engine) {
  const std::size_t blocks = std::min(in.size(), out.size()) / kBlockSize;
  if (blocks == 0) return;
  if (usable(engine) == AesEngine::kInstructions)
    engines::instructions::encrypt(schedule.data(), in.data(), out.data(), blocks);
  else
    engines::portable::encrypt(schedule.data(), in.data(), out.data(), blocks);
}

void Aes128::decrypt(ScheduleView schedule, std::span<const std::uint8_t> in,
                     std::span<std::uint8_t> out, AesEngine engine) {
  const std::size_t blocks = std::min(in.size(), out.size()) / kBlockSize;
  if (blocks == 0) return;
  if (usable(engine) == AesEngine::kInstructions)
    engines::instructions::decrypt(schedule.data(), in.data(), out.data(), blocks);
  else
    engines::portable::decrypt(schedule.data(), in.data(), out.data(), blocks);
}

}  // namespace blockio
