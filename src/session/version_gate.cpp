// The teacher-version gate.
#include "version_gate.h"

namespace tesmora {

bool IsTeacherNewer(std::u16string_view teacherVersion) {
    return teacherVersion.compare(kGateVersion) > 0;
}

}  // namespace tesmora
