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

std::int32_t Bwt2Unpack(addon::CallRecord* r) { return not_yet(r); }
std::int32_t Bwt2Pack(addon::CallRecord* r) { return not_yet(r); }

}  // namespace blockio
