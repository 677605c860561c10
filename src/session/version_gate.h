// The teacher-version gate of the student-touch and broadcast commands. Any thread.
#pragma once

#include <string_view>

namespace tesmora {

inline constexpr std::u16string_view kRemoteVersion = u"2.0.1.1028";
inline constexpr std::u16string_view kGateVersion = u"2.0.1.1027";

// True when the teacher's version text compares greater than the gate version code unit by code
// unit (an ordinal text comparison, as the teacher programs in the field expect: "2.0.1.999" counts
// as newer than "2.0.1.1027").
bool IsTeacherNewer(std::u16string_view teacherVersion);

}  // namespace tesmora
