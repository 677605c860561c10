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
inline constexpr std::u16string_view kRC00001 = u"[RC00001]";  // our version, on acceptance
inline constexpr std::u16string_view kRC00003 = u"[RC00003]";  // keep-alive
inline constexpr std::u16string_view kRC00004 = u"[RC00004]";  // remote control starts
inline constexpr std::u16string_view kRC00005 = u"[RC00005]";  // remote control ends
inline constexpr std::u16string_view kRC00006 = u"[RC00006]";  // image n shown
inline constexpr std::u16string_view kRC00007 = u"[RC00007]";  // teacher to remote: open the keyboard
inline constexpr std::u16string_view kRC00008 = u"[RC00008]";  // screen-upload settings
inline constexpr std::u16string_view kRC00009 = u"[RC00009]";  // screen upload start/stop
inline constexpr std::u16string_view kRC00010 = u"[RC00010]";  // our screen size
inline constexpr std::u16string_view kRC00011 = u"[RC00011]";  // sound upload start/stop
inline constexpr std::u16string_view kRC00012 = u"[RC00012]";  // broadcast on/off
inline constexpr std::u16string_view kRC00013 = u"[RC00013]";  // student touch on/off
inline constexpr std::u16string_view kRC00014 = u"[RC00014]";  // typed character
inline constexpr std::u16string_view kRC00015 = u"[RC00015]";  // input-mode switch
// Teacher to remote:
inline constexpr std::u16string_view kRH00001 = u"[RH00001]";  // teacher screen size
inline constexpr std::u16string_view kRH00002 = u"[RH00002]";  // uploaded image n acknowledged
inline constexpr std::u16string_view kRH00003 = u"[RH00003]";  // student-touch state
inline constexpr std::u16string_view kRH00004 = u"[RH00004]";  // broadcast state
inline constexpr std::u16string_view kRH00005 = u"[RH00005]";  // monitor list
inline constexpr std::u16string_view kRH10002 = u"[RH10002]";  // keep-alive answer
inline constexpr std::u16string_view kDV00001 = u"[DV00001]";
inline constexpr std::u16string_view kDV00002 = u"[DV00002]";
inline constexpr std::u16string_view kDV00007 = u"[DV00007]";  // accepted
inline constexpr std::u16string_view kDV00094 = u"[DV00094]";  // teacher version
inline constexpr std::u16string_view kDV10000 = u"[DV10000]";  // refused: code, message
inline constexpr std::u16string_view kDV10001 = u"[DV10001]";  // teacher ends the connection
// Login server:
inline constexpr std::u16string_view kUS00001 = u"[US00001]";  // our identification
inline constexpr std::u16string_view kUR00001 = u"[UR00001]";  // greeting and result
inline constexpr std::u16string_view kUR00002 = u"[UR00002]";  // where the teacher program is

}  // namespace tesmora
