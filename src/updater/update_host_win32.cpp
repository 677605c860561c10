// Win32UpdateHost (see update_host_win32.h). UI thread only.
#include "updater/update_host_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "common/config/config_files_win32.h"
#include "common/config/config_keys.h"
#include "common/http/http_fetch_win32.h"
#include "common/platform/ansi_text_win32.h"
#include "common/platform/atomic_file_win32.h"
#include "common/platform/directory_path_win32.h"
#include "common/platform/support_log.h"
#include "common/platform/wide_text_win32.h"
#include "common/text/ascii_escape.h"
#include "common/ui/resource_module_win32.h"
#include "updater/batch_paths_win32.h"
#include "updater/file_facts_win32.h"
#include "updater/updater_window_win32.h"

namespace tesmora {

namespace {

// "%s" takes the next argument, "%%" is a percent sign; the texts are our own string table's.
std::wstring FormatMessageText(const std::wstring& format, const std::wstring& first,
                               const std::wstring& second) {
    std::wstring text;
    const std::wstring* arguments[] = {&first, &second};
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L's') {
                if (next < 2) text += *arguments[next++];
                ++i;
                continue;
            }
            if (format[i + 1] == L'%') {
                text += L'%';
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

// "Updater log: <message> <text>", the text's characters outside printable ASCII as \uXXXX.
void TraceLogLine(int message, const std::wstring& text) {
    std::string trace = "Updater log: " + std::to_string(message) + " ";
    trace += EscapeToAscii(ToU16(text));
    ::OutputDebugStringA((trace + "\n").c_str());
}

}  // namespace

Win32UpdateHost::Win32UpdateHost(UpdaterWindow& window, const std::wstring& language, std::wstring folder)
    : window_(window), messageOffset_(MessageOffsetForLanguage(ToU16(language))), folder_(std::move(folder)) {
    supportLog_.Open(ReadSetting(kSupportLogKey), L"TesmoraOrluUpdaterR");
}

FetchedReply Win32UpdateHost::Fetch(const std::u16string& url, const std::u16string& query, ReplyKind kind,
                                    bool strictCertificates) {
    HttpFetchStyle style = kUpdaterFetchStyle;
    if (kind == ReplyKind::kText) style.maxBodyBytes = kMaxTextReplyBytes;
    style.strictCertificates = strictCertificates;
    HttpFetchReply reply;
    FetchedReply fetched;
    fetched.result = HttpFetch(ToWide(url), ToWide(query), reply, style);
    fetched.body = std::move(reply.body);
    fetched.contentLength = reply.contentLength;
    fetched.whole = reply.whole;
    return fetched;
}

std::u16string Win32UpdateHost::TextFromSystemCodePage(std::string_view bytes) {
    return FromAnsi({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

std::u16string Win32UpdateHost::ReadSetting(std::u16string_view key) {
    return ToU16(
        ReadIniString(folder_ + L"\\" + ToWide(kConfigIniName), ToWide(kIniSection), ToWide(key), L""));
}

uint32_t Win32UpdateHost::TickCount() {
    return ::GetTickCount();
}

FileFacts Win32UpdateHost::ReadFileFacts(const std::u16string& path) {
    return tesmora::ReadFileFacts(ToWide(path));
}

bool Win32UpdateHost::FileExists(const std::u16string& path) {
    return tesmora::FileExists(ToWide(path));
}

std::u16string Win32UpdateHost::OwnVersion() {
    return ToU16(ReadOwnVersion());
}

void Win32UpdateHost::MakeDirectoryPath(const std::u16string& directory) {
    CreateDirectoryPath(ToWide(directory));
}

FileWriteOutcome Win32UpdateHost::SaveFile(const std::u16string& path, std::span<const uint8_t> bytes) {
    switch (WriteFileAtomically(ToWide(path), bytes)) {
        case FileWriteResult::kWritten:
            return FileWriteOutcome::kWritten;
        case FileWriteResult::kNotCreated:
            return FileWriteOutcome::kNotCreated;
        case FileWriteResult::kNotWritten:
            return FileWriteOutcome::kNotWritten;
        case FileWriteResult::kNotReplaced:
            break;
    }
    return FileWriteOutcome::kNotReplaced;
}

void Win32UpdateHost::RemoveFile(const std::u16string& path) {
    ::DeleteFileW(ToWide(path).c_str());
}

void Win32UpdateHost::RenameFile(const std::u16string& from, const std::u16string& to) {
    ::MoveFileW(ToWide(from).c_str(), ToWide(to).c_str());
}

CalendarDate Win32UpdateHost::Today() {
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    return {today.wYear, today.wMonth, today.wDay};
}

std::optional<std::string> Win32UpdateHost::SelfReplaceBatch(const std::u16string& folder,
                                                             const std::u16string& staged) {
    return SelfReplaceBatchBytes(ToWide(folder), ToWide(staged), ::GetOEMCP());
}

void Win32UpdateHost::StartBatch(const std::u16string& path) {
    ::ShellExecuteW(nullptr, L"open", ToWide(path).c_str(), nullptr, nullptr, SW_HIDE);
}

bool Win32UpdateHost::IsProgramRunning(const std::u16string& fileName) {
    return tesmora::IsProgramRunning(ToWide(fileName));
}

void Win32UpdateHost::StartProgram(const std::u16string& path, const std::u16string& workingFolder) {
    ::ShellExecuteW(nullptr, L"open", ToWide(path).c_str(), L"", ToWide(workingFolder).c_str(),
                    SW_SHOWNORMAL);
}

void Win32UpdateHost::StartTimer(UpdateTimer timer, unsigned milliseconds) {
    window_.StartTimer(UINT_PTR(timer), milliseconds);
}

void Win32UpdateHost::StopTimer(UpdateTimer timer) {
    window_.StopTimer(UINT_PTR(timer));
}

void Win32UpdateHost::TickSoon(UpdateTimer timer) {
    ::PostMessageW(window_.Handle(), WM_TIMER, WPARAM(timer), 0);
}

// The window shows "[hh:mm:ss] text" on top of its log; the support log dates the line itself and
// keeps the message number for whoever reads it later.
void Win32UpdateHost::WriteLog(int message, const std::u16string& first, const std::u16string& second) {
    std::wstring text = FormatMessageText(ToWide(LoadText(message)), ToWide(first), ToWide(second));
    // The texts end in a line feed, which a list box line would draw as a box.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t stamp[16];
    ::wsprintfW(stamp, L"[%02d:%02d:%02d] ", now.wHour, now.wMinute, now.wSecond);
    window_.ShowLogLine(stamp + text);
    supportLog_.Write(ToU16(std::to_wstring(message) + L" " + text));
    TraceLogLine(message, text);
}

std::u16string Win32UpdateHost::LoadText(int message) {
    return ToU16(LoadResourceString(UINT(message + messageOffset_)));
}

void Win32UpdateHost::HideWindow() {
    window_.Hide();
}

void Win32UpdateHost::Quit() {
    ::PostQuitMessage(0);
}

}  // namespace tesmora
