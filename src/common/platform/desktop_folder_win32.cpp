// GetUserDesktopFolder over the terminal-session list, the explorer process's token, the user's
// registry hive and, last, the shell.
#include "common/platform/desktop_folder_win32.h"

#include <windows.h>
// after windows.h, which they build on
#include <sddl.h>
#include <shlobj.h>
#include <wtsapi32.h>

#include <vector>

namespace tesmora {

namespace {

constexpr wchar_t kShellFoldersKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kDesktopValue[] = L"Desktop";
constexpr wchar_t kExplorerName[] = L"explorer.exe";
constexpr DWORD kDesktopValueBytes = 512;

class WtsMemory {
public:
    explicit WtsMemory(void* memory) : memory_(memory) {}
    WtsMemory(const WtsMemory&) = delete;
    WtsMemory& operator=(const WtsMemory&) = delete;
    ~WtsMemory() {
        if (memory_ != nullptr) {
            WTSFreeMemory(memory_);
        }
    }

private:
    void* memory_;
};

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle_ != nullptr) {
            CloseHandle(handle_);
        }
    }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

bool FindActiveSession(DWORD& sessionId) {
    WTS_SESSION_INFOW* sessions = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) {
        return false;
    }
    WtsMemory release(sessions);
    for (DWORD i = 0; i < count; ++i) {
        if (sessions[i].State == WTSActive) {
            sessionId = sessions[i].SessionId;
            return true;
        }
    }
    return false;
}

bool FindExplorer(DWORD sessionId, DWORD& processId) {
    WTS_PROCESS_INFOW* processes = nullptr;
    DWORD count = 0;
    if (!WTSEnumerateProcessesW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &processes, &count)) {
        return false;
    }
    WtsMemory release(processes);
    for (DWORD i = 0; i < count; ++i) {
        if (processes[i].SessionId == sessionId && processes[i].pProcessName != nullptr &&
            wcscmp(processes[i].pProcessName, kExplorerName) == 0) {
            processId = processes[i].ProcessId;
            return true;
        }
    }
    return false;
}

std::wstring ProcessUserSid(DWORD processId) {
    OwnedHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (process.Get() == nullptr) {
        return {};
    }
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(process.Get(), TOKEN_QUERY, &rawToken)) {
        return {};
    }
    OwnedHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) {
        return {};
    }
    std::vector<uint8_t> buffer(size);
    if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

std::wstring CurrentSessionUserName() {
    wchar_t* name = nullptr;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, WTSUserName, &name,
                                     &bytes) ||
        name == nullptr) {
        return {};
    }
    WtsMemory release(name);
    return std::wstring(name);
}

// The "Desktop" value of an open Shell Folders key, read into the fixed buffer of 255 characters;
// the text ends at the stored size even when the value was stored without its terminator.
std::wstring ReadDesktopValue(HKEY key) {
    wchar_t buffer[kDesktopValueBytes / sizeof(wchar_t)] = {};
    DWORD size = kDesktopValueBytes;
    DWORD type = 0;
    if (RegQueryValueExW(key, kDesktopValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::wstring text(buffer, size / sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    return text;
}

}  // namespace

std::wstring GetInteractiveUserSid() {
    DWORD sessionId = 0;
    DWORD processId = 0;
    if (!FindActiveSession(sessionId) || !FindExplorer(sessionId, processId)) {
        return {};
    }
    return ProcessUserSid(processId);
}

std::wstring GetUserDesktopFolder(const std::wstring& fallback, HWND window) {
    const std::wstring sid = GetInteractiveUserSid();
    HKEY key = nullptr;
    bool opened = false;
    if (!sid.empty()) {
        // Without a user in this program's own session the interactive user's hive is not ours to
        // read; the shell then answers for the account the program runs under.
        if (!CurrentSessionUserName().empty()) {
            const std::wstring path = sid + L"\\" + kShellFoldersKey;
            opened = RegOpenKeyExW(HKEY_USERS, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        }
    } else {
        opened = RegOpenKeyExW(HKEY_CURRENT_USER, kShellFoldersKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    }
    if (opened) {
        std::wstring folder = ReadDesktopValue(key);
        RegCloseKey(key);
        // A key without a usable value (missing, or longer than the buffer) would put the user's
        // files in the root of the current drive; the shell knows better.
        if (!folder.empty()) {
            return folder;
        }
    }

    wchar_t shellFolder[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(window, shellFolder, CSIDL_DESKTOPDIRECTORY, FALSE)) {
        return shellFolder;
    }
    return fallback;
}

}  // namespace tesmora
