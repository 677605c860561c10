// The simulated classroom (the native tesmora-classroom) as a peer of the Windows tests: started on
// free loopback ports through /bin/sh (Wine runs Unix programs but gives no handle for them), found
// ready through its event log, and ended by its process id. Test thread only.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_folder_win32.h"

class ClassroomProcess {
public:
    // `scenario`: the lines of a scenario file (UTF-8), e.g. "lookup.reply = redirect".
    explicit ClassroomProcess(const std::string& scenario = "") {
        wchar_t overridden[1024]{};
        const std::wstring program = ::GetEnvironmentVariableW(L"TESMORA_CLASSROOM", overridden, 1024) > 0
                                         ? overridden
                                         : L"" TESMORA_CLASSROOM_PATH;
        const std::string unixFolder = UnixPath(folder_.Path());
        WriteFileBytes(folder_ / L"scenario.txt", std::vector<uint8_t>(scenario.begin(), scenario.end()));
        // Single quotes only: Wine cuts the command line at double quotes before sh sees it.
        const std::wstring command = L"/bin/sh -c \"echo $$ > '" + Wide(unixFolder) + L"/pid'; exec '" +
                                     program + L"' --quiet --exit-after 300 --events '" + Wide(unixFolder) +
                                     L"/events.jsonl' --scenario '" + Wide(unixFolder) +
                                     L"/scenario.txt' --lookup-port 0 --lookup-http-port 0 --login-port 0"
                                     L" --teacher-port 0 </dev/null >/dev/null 2>&1\"";
        Run(command);
        for (int i = 0; i < 500 && (pid_ == 0 || Port("teacher") == 0); ++i) {
            ::Sleep(20);
            const std::vector<uint8_t> pid = ReadFileBytes(folder_ / L"pid");
            if (std::find(pid.begin(), pid.end(), '\n') != pid.end())
                pid_ = std::atoi(std::string(pid.begin(), pid.end()).c_str());
        }
        if (Port("teacher") == 0) {
            ADD_FAILURE() << "tesmora-classroom (" << Narrow(program)
                          << ") did not start: build the native preset first, or set TESMORA_CLASSROOM";
        }
    }
    ~ClassroomProcess() { Stop(); }
    ClassroomProcess(const ClassroomProcess&) = delete;
    ClassroomProcess& operator=(const ClassroomProcess&) = delete;

    // Ends the classroom and waits for its last event; its services are gone afterwards.
    void Stop() {
        if (pid_ == 0) return;
        Run(L"/bin/kill " + std::to_wstring(pid_));
        pid_ = 0;
        for (int i = 0; i < 250 && Events().find("\"event\":\"stopped\"") == std::string::npos; ++i)
            ::Sleep(20);
    }

    // The port of "lookup (https and http)", "lookup (http)", "login" or "teacher"; 0 when not listening.
    uint16_t Port(const std::string& service) const {
        const std::vector<std::string> lines = EventsWith({"\"service\":\"" + service + "\"", "\"port\":"});
        return lines.empty() ? 0 : uint16_t(std::atoi(lines[0].c_str() + lines[0].find("\"port\":") + 7));
    }
    // The web server setting that reaches the lookup (https, and plain http on the same port).
    std::wstring WebServer() const {
        return L"127.0.0.1:" + std::to_wstring(Port("lookup (https and http)"));
    }
    std::wstring LookupUrl(const wchar_t* scheme = L"https") const {
        return std::wstring(scheme) + L"://" + WebServer() + L"/tesmora/rsinfo/checkRsInfo.jsp";
    }
    // The event log so far (JSON lines), and the lines that contain each of `parts`.
    std::string Events() const {
        const std::vector<uint8_t> bytes = ReadFileBytes(folder_ / L"events.jsonl");
        return std::string(bytes.begin(), bytes.end());
    }
    std::vector<std::string> EventsWith(std::initializer_list<std::string> parts) const {
        std::vector<std::string> lines;
        const std::string all = Events();
        for (size_t start = 0, end; start < all.size(); start = end + 1) {
            end = std::min(all.find('\n', start), all.size());
            const std::string line = all.substr(start, end - start);
            bool match = true;
            for (const std::string& part : parts) match = match && line.find(part) != std::string::npos;
            if (match) lines.push_back(line);
        }
        return lines;
    }

private:
    static std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
    static std::string UnixPath(const std::wstring& windowsPath) {
        using Convert = char*(CDECL*)(const wchar_t*);
        auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char* path = convert ? convert(windowsPath.c_str()) : nullptr;
        if (!path) return {};
        std::string result(path);
        ::HeapFree(::GetProcessHeap(), 0, path);
        return result;
    }
    static void Run(std::wstring commandLine) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
            return;
        }
        if (process.hProcess) ::CloseHandle(process.hProcess);
        if (process.hThread) ::CloseHandle(process.hThread);
    }

    TempFolder folder_;
    int pid_ = 0;
};
