// The support log: a technician's record of what a program did, written beside the debugger output
// when config.ini says so. Lines carry date and time; the file is bounded by one rotated copy, so it
// never fills the disk. Only texts the programs already trace go in, never the cipher key or a
// password. Portable rules; the Win32 writer is support_log_win32. Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tesmora {

// config.ini, section "default": "1" (or yes/on/true) writes the log; anything else, or no key, not.
inline constexpr std::u16string_view kSupportLogKey = u"logfile";
// Bytes a log file may reach before it becomes the rotated copy ("<name>.1", replacing the older
// one): at most twice this per program on disk.
inline constexpr uint64_t kSupportLogMaxBytes = 1u << 20;

bool SupportLogEnabled(std::u16string_view setting);

struct SupportLogTime {
    int year, month, day, hour, minute, second, millisecond;
};
// "YYYY-MM-DD hh:mm:ss.mmm text" in UTF-8 with CR LF; line feeds and other control characters of the
// text become blanks, so one trace is one line.
std::string SupportLogLine(const SupportLogTime& time, std::u16string_view text);

// Whether the file must be rotated before `lineBytes` more are appended to its `currentBytes`. A file
// holding nothing yet takes any line (a line longer than the bound is still written once).
bool SupportLogMustRotate(uint64_t currentBytes, uint64_t lineBytes, uint64_t maxBytes = kSupportLogMaxBytes);

}  // namespace tesmora
