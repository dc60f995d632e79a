// The host-services vector as the substitute host fills it.
#pragma once

#include "addon/services.h"

namespace host {

class Host;

// Fills every slot the add-on libraries call; the services reach `owner`
// through a process-wide pointer while it lives.
void install_services(addon::ServiceVector& services, Host* owner);
void uninstall_services(Host* owner);

}  // namespace host

namespace host {
// The hand-off function the host context at offset 96 carries.
std::int32_t hand_off(addon::CallRecord* record);
}  // namespace host
