// Adds a compatibility layer to an existing entry without disturbing the layers already listed
// there (an installer may have set RUNASADMIN, for example).
#include "common/platform/compat_layer.h"

namespace tesmora {

std::optional<std::u16string> AddCompatLayer(std::u16string_view current, std::u16string_view layer) {
    if (current.empty()) {
        return std::u16string(layer);
    }
    if (current.find(layer) != std::u16string_view::npos) {
        return std::nullopt;
    }
    std::u16string updated(current);
    updated += u' ';
    updated += layer;
    return updated;
}

}  // namespace tesmora
