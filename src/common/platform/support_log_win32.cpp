// SupportLog over plain file appends (see support_log_win32.h). Write: any thread.
#include "common/platform/support_log_win32.h"

#include <windows.h>
#include <shlobj.h>

#include "common/platform/directory_path_win32.h"
#include "common/platform/support_log.h"
#include "common/platform/wide_text_win32.h"

namespace tesmora {

std::wstring SupportLogFolder() {
    wchar_t base[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, base)))
        return {};
    return std::wstring(base) + L"\\TesmoraOrlu\\Logs";
}

bool SupportLog::Open(std::u16string_view setting, std::wstring_view program) {
    path_.clear();
    if (!SupportLogEnabled(setting)) return false;
    const std::wstring folder = SupportLogFolder();
    if (folder.empty()) return false;
    CreateDirectoryPath(folder);
    path_ = folder + L"\\" + std::wstring(program) + L".log";
    return true;
}

void SupportLog::Write(std::u16string_view text) {
    if (path_.empty()) return;
    // Stamped under the lock too, so the file's times never run backwards.
    std::lock_guard<std::mutex> guard(lock_);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string line = SupportLogLine(
        {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds}, text);
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &facts)) {
        const uint64_t size = (uint64_t(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow;
        if (SupportLogMustRotate(size, line.size())) {
            ::MoveFileExW(path_.c_str(), (path_ + L".1").c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    HANDLE file = ::CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace tesmora
