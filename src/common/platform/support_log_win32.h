// SupportLog: appends a program's trace lines to "<program>.log" in the user's local application
// data folder, under "TesmoraOrlu\Logs", when config.ini's "logfile" key (kSupportLogKey) asks for
// it; otherwise it does nothing and creates nothing. Open on one thread before any other writes; Write
// from any thread (one writer object per program file).
#pragma once

#include <mutex>
#include <string>
#include <string_view>

namespace tesmora {

class SupportLog {
public:
    SupportLog() = default;
    SupportLog(const SupportLog&) = delete;
    SupportLog& operator=(const SupportLog&) = delete;

    // `setting` is config.ini's "logfile" value; when it is on, makes the folder and remembers
    // "<folder>\<program>.log". False when the log stays off.
    bool Open(std::u16string_view setting, std::wstring_view program);
    // One line with the current local date and time; rotates first when the file is full. Nothing
    // when the log is off or the file cannot be written (the program goes on without it). Lines of
    // threads writing at once follow one another whole, never mixed, and never share a rotation.
    void Write(std::u16string_view text);
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    std::mutex lock_;  // one line's size check, rotation and append at a time
};

// "<local application data>\TesmoraOrlu\Logs", or empty when the system does not say where that is.
std::wstring SupportLogFolder();

}  // namespace tesmora
