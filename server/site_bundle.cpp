#include "site_bundle.h"

namespace tarvela {

// A plain scan: the table is small and constant, so no index is worth building.
const BundleEntry* find_in_bundle(std::string_view name) {
    for (const BundleEntry& entry : site_bundle()) {
        if (entry.name().size() == name.size() && entry.name() == name) return &entry;
    }
    return nullptr;
}

}  // namespace tarvela
