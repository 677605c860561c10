// Process actions of the UI probe (see probe_process_win32.h).
#include "probe_process_win32.h"

#include <cwctype>

namespace {

constexpr DWORD kDefaultExitTimeout = 10000;
constexpr DWORD kTerminateWait = 5000;

// One argument quoted so that the started program's command-line parser gives it back unchanged.
std::wstring Quote(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

bool IsRelative(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return false;
    return path.empty() || (path[0] != L'\\' && path[0] != L'/');
}

std::wstring Normalised(std::wstring path) {
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
    return path;
}

bool ImageMatches(HANDLE process, const std::wstring& suffix) {
    if (suffix.empty()) return true;
    wchar_t path[MAX_PATH * 2];
    DWORD length = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process, 0, path, &length)) return false;
    std::wstring image = Normalised(std::wstring(path, length));
    std::wstring end = Normalised(suffix);
    return image.size() >= end.size() && image.compare(image.size() - end.size(), end.size(), end) == 0;
}

bool ParsePid(const ProbeOptions& options, DWORD& pid) {
    long long number = 0;
    if (options.arguments.size() != 1 || !ParseNumber(options.arguments[0], number) || number <= 0)
        return false;
    pid = static_cast<DWORD>(number);
    return true;
}

HANDLE OpenNul() {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                         OPEN_EXISTING, 0, nullptr);
}

void PrintExit(DWORD pid, const std::wstring& exit) {
    PrintRecord({{L"pid", std::to_wstring(pid)}, {L"exit", exit}});
}

}  // namespace

int RunStart(const ProbeOptions& options) {
    if (options.arguments.empty()) return Fail(L"start wants a program");
    std::wstring program = options.arguments[0];
    // A program named relative to --dir is found there (the system would look in the probe's folder).
    if (!options.directory.empty() && IsRelative(program)) {
        std::wstring candidate = options.directory + L"\\" + program;
        if (::GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) program = candidate;
    }
    std::wstring commandLine = Quote(program);
    for (size_t i = 1; i < options.arguments.size(); ++i) commandLine += L" " + Quote(options.arguments[i]);

    // The program gets NUL as its standard streams and inherits nothing else of ours: neither our own
    // streams (a test runner's pipe) nor any other handle.
    for (DWORD which : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = ::GetStdHandle(which);
        if (handle && handle != INVALID_HANDLE_VALUE) ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
    }
    HANDLE nul = OpenNul();
    if (nul == INVALID_HANDLE_VALUE) return Fail(L"start: cannot open NUL");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    BOOL started =
        ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr,
                         options.directory.empty() ? nullptr : options.directory.c_str(), &startup, &process);
    DWORD error = ::GetLastError();
    ::CloseHandle(nul);
    if (!started)
        return Fail(L"start: cannot start " + commandLine + L" (error " + std::to_wstring(error) + L")");
    ::CloseHandle(process.hThread);

    int status = 0;
    if (!options.wait) {
        PrintRecord({{L"pid", std::to_wstring(process.dwProcessId)}});
    } else {
        DWORD timeout = options.timeout.value_or(kDefaultExitTimeout);
        DWORD exitCode = 0;
        if (::WaitForSingleObject(process.hProcess, timeout) == WAIT_OBJECT_0 &&
            ::GetExitCodeProcess(process.hProcess, &exitCode)) {
            PrintExit(process.dwProcessId, std::to_wstring(exitCode));
        } else {
            // Still running: it is ours, so it is ended rather than left behind.
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, kTerminateWait);
            status =
                Fail(L"start: the program still ran after " + std::to_wstring(timeout) + L" ms; ended it");
        }
    }
    ::CloseHandle(process.hProcess);
    return status;
}

int RunWaitExit(const ProbeOptions& options) {
    DWORD pid = 0;
    if (!ParsePid(options, pid)) return Fail(L"wait-exit wants one process id");
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process || !ImageMatches(process, options.imageSuffix)) {
        // Already gone (its exit code with it), or the id now belongs to another program.
        if (process) ::CloseHandle(process);
        PrintExit(pid, L"");
        return 0;
    }
    DWORD timeout = options.timeout.value_or(kDefaultExitTimeout);
    DWORD exitCode = 0;
    bool ended =
        ::WaitForSingleObject(process, timeout) == WAIT_OBJECT_0 && ::GetExitCodeProcess(process, &exitCode);
    ::CloseHandle(process);
    if (!ended)
        return Fail(L"wait-exit: process " + std::to_wstring(pid) + L" still runs after " +
                    std::to_wstring(timeout) + L" ms");
    PrintExit(pid, std::to_wstring(exitCode));
    return 0;
}

int RunKill(const ProbeOptions& options) {
    DWORD pid = 0;
    if (!ParsePid(options, pid)) return Fail(L"kill wants one process id");
    HANDLE process =
        ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    bool killed = false;
    if (process && ImageMatches(process, options.imageSuffix) &&
        ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        killed =
            ::TerminateProcess(process, 1) && ::WaitForSingleObject(process, kTerminateWait) == WAIT_OBJECT_0;
        if (!killed) {
            ::CloseHandle(process);
            return Fail(L"kill: process " + std::to_wstring(pid) + L" did not end");
        }
    }
    if (process) ::CloseHandle(process);
    PrintRecord({{L"pid", std::to_wstring(pid)}, {L"killed", killed ? L"1" : L"0"}});
    return 0;
}
