// An add-on without named subroutines: its Linkage holds only the lead-in
// entries and the end.
#include "addon/linkage.h"

TW_ADDON_LINKAGE(nullptr)
