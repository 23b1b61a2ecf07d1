#include "settings/vb_registry.h"

namespace talvex {

vbRegistry::~vbRegistry() {
    if (CurrentKey != 0) api_.CloseKey(CurrentKey);
}

} // namespace talvex
