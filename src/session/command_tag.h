// Command tags: every text between the remote, the teacher program and the login server starts with
// a nine-character tag "[XX00000]" followed directly by its payload. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tesmora {

inline constexpr size_t kCommandTagLength = 9;

struct CommandText {
    std::u16string_view tag;
    std::u16string_view payload;
};

// The tag (first nine characters) and the rest; nothing for a text shorter than nine characters.
std::optional<CommandText> SplitCommand(std::u16string_view text);

// True for a tag of the catalogue below (compared exactly, case-sensitive).
bool IsKnownTag(std::u16string_view tag);

// A decimal payload converted as the C library does: leading white space and a sign accepted,
// conversion stops at the first non-digit, no digits gives 0; out-of-range values saturate.
int32_t ParseDecimal(std::u16string_view text);

// The catalogue. Remote to teacher:
inline constexpr std::u16string_view kTagRemoteVersion = u"[RC00001]";       // our version, on acceptance
inline constexpr std::u16string_view kTagKeepAlive = u"[RC00003]";           // keep-alive
inline constexpr std::u16string_view kTagRemoteControlStart = u"[RC00004]";  // remote control starts
inline constexpr std::u16string_view kTagRemoteControlEnd = u"[RC00005]";    // remote control ends
inline constexpr std::u16string_view kTagImageShown = u"[RC00006]";          // image n shown
inline constexpr std::u16string_view kTagOpenKeyboard = u"[RC00007]";  // teacher to remote: open the keyboard
inline constexpr std::u16string_view kTagUploadSettings = u"[RC00008]";      // screen-upload settings
inline constexpr std::u16string_view kTagUploadSwitch = u"[RC00009]";        // screen upload start/stop
inline constexpr std::u16string_view kTagPadScreenSize = u"[RC00010]";       // our screen size
inline constexpr std::u16string_view kTagSoundSwitch = u"[RC00011]";         // sound upload start/stop
inline constexpr std::u16string_view kTagBroadcastSwitch = u"[RC00012]";     // broadcast on/off
inline constexpr std::u16string_view kTagStudentTouchSwitch = u"[RC00013]";  // student touch on/off
inline constexpr std::u16string_view kTagTypedCharacter = u"[RC00014]";      // typed character
inline constexpr std::u16string_view kTagInputModeSwitch = u"[RC00015]";     // input-mode switch
// Teacher to remote:
inline constexpr std::u16string_view kTagTeacherScreenSize = u"[RH00001]";  // teacher screen size
inline constexpr std::u16string_view kTagImageAcknowledged = u"[RH00002]";  // uploaded image n acknowledged
inline constexpr std::u16string_view kTagStudentTouchState = u"[RH00003]";  // student-touch state
inline constexpr std::u16string_view kTagBroadcastState = u"[RH00004]";     // broadcast state
inline constexpr std::u16string_view kTagMonitorList = u"[RH00005]";        // monitor list
inline constexpr std::u16string_view kTagKeepAliveAnswer = u"[RH10002]";    // keep-alive answer
inline constexpr std::u16string_view kTagTeacherStatusIgnored = u"[DV00001]";
inline constexpr std::u16string_view kTagTeacherNoticeIgnored = u"[DV00002]";
inline constexpr std::u16string_view kTagAccepted = u"[DV00007]";        // accepted
inline constexpr std::u16string_view kTagTeacherVersion = u"[DV00094]";  // teacher version
inline constexpr std::u16string_view kTagRefused = u"[DV10000]";         // refused: code, message
inline constexpr std::u16string_view kTagTeacherEnds = u"[DV10001]";     // teacher ends the connection
// Login server:
inline constexpr std::u16string_view kTagIdentification = u"[US00001]";  // our identification
inline constexpr std::u16string_view kTagLoginResult = u"[UR00001]";     // greeting and result
inline constexpr std::u16string_view kTagTeacherAddress = u"[UR00002]";  // where the teacher program is

}  // namespace tesmora
