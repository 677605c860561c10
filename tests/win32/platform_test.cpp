// The platform utilities against the real system under Wine: registry strings and read-only mode,
// the compatibility entry, configuration strings, the message-pumping wait, folders and the
// system queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>

#include "common/platform/ansi_text_win32.h"
#include "common/platform/compat_layer_win32.h"
#include "common/platform/config_string_win32.h"
#include "common/platform/debug_print_win32.h"
#include "common/platform/desktop_folder_win32.h"
#include "common/platform/directory_path_win32.h"
#include "common/platform/local_address_win32.h"
#include "common/platform/module_folder_win32.h"
#include "common/platform/os_version_win32.h"
#include "common/platform/pump_wait_win32.h"
#include "common/platform/registry_win32.h"
#include "temp_folder_win32.h"

using namespace tesmora;

namespace fs = std::filesystem;

namespace {

void SetString(const std::wstring& keyPath, const std::wstring& name, const std::wstring& text) {
    RegistryKey registry(HKEY_CURRENT_USER);
    ASSERT_TRUE(registry.Create(keyPath));
    ASSERT_TRUE(registry.Write(name, text));
}

std::wstring ReadString(const std::wstring& keyPath, const std::wstring& name) {
    RegistryKey registry(HKEY_CURRENT_USER);
    registry.Open(keyPath);
    std::wstring value;
    registry.Read(name, value, L"<missing>");
    return value;
}

TEST(RegistryKey, OpensBelowTheCurrentKeyAndReadsAtMost99Characters) {
    TestRegistryKey test;
    SetString(test.Path() + L"\\config", L"teacherid", L"선생님01");
    SetString(test.Path() + L"\\config", L"longest", std::wstring(99, L'a'));
    SetString(test.Path() + L"\\config", L"tooLong", std::wstring(100, L'b'));

    RegistryKey registry(HKEY_CURRENT_USER);
    EXPECT_FALSE(registry.Open(test.Path() + L"\\missing"));
    EXPECT_EQ(registry.Key(), HKEY_CURRENT_USER);  // a failed open keeps the current key
    ASSERT_TRUE(registry.Open(test.Path() + L"\\"));
    ASSERT_TRUE(registry.Open(L"config"));
    std::wstring value;
    EXPECT_TRUE(registry.Read(L"teacherid", value, L""));
    EXPECT_EQ(value, L"선생님01");
    registry.Read(L"longest", value, L"default");
    EXPECT_EQ(value, std::wstring(99, L'a'));
    EXPECT_TRUE(registry.Read(L"tooLong", value, L"default"));
    EXPECT_EQ(value, L"default");
    EXPECT_EQ(registry.LastError(), ERROR_MORE_DATA);
}

TEST(RegistryKey, ReadOnlyRefusesEveryWriteAndStillReads) {
    TestRegistryKey test;
    SetString(test.Path(), L"language", L"Jpn");
    RegistryKey registry(HKEY_CURRENT_USER);
    registry.SetReadOnly(true);
    ASSERT_TRUE(registry.Open(test.Path()));
    EXPECT_FALSE(registry.Write(L"language", L"Eng"));
    EXPECT_FALSE(registry.Create(L"sub"));
    std::wstring value;
    registry.Read(L"language", value, L"Kor");
    EXPECT_EQ(value, L"Jpn");
    registry.SetReadOnly(false);  // the key itself was opened without write rights
    EXPECT_FALSE(registry.Write(L"language", L"Eng"));
    EXPECT_EQ(ReadString(test.Path(), L"language"), L"Jpn");
}

TEST(SetCompatLayer, AddsTheLayerOnceAndKeepsOthers) {
    TestRegistryKey test;
    const std::wstring layers = test.Path() + L"\\Layers";  // does not exist yet: it is created
    EXPECT_TRUE(SetCompatLayerIn(layers, L"C:\\new.exe", L"HIGHDPIAWARE"));
    EXPECT_EQ(ReadString(layers, L"C:\\new.exe"), L"HIGHDPIAWARE");

    SetString(layers, L"C:\\admin.exe", L"RUNASADMIN");
    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(SetCompatLayerIn(layers, L"C:\\admin.exe", L"HIGHDPIAWARE"));
        EXPECT_EQ(ReadString(layers, L"C:\\admin.exe"), L"RUNASADMIN HIGHDPIAWARE");
    }
    SetString(layers, L"C:\\lower.exe", L"highdpiaware");
    SetCompatLayerIn(layers, L"C:\\lower.exe", L"HIGHDPIAWARE");
    EXPECT_EQ(ReadString(layers, L"C:\\lower.exe"), L"highdpiaware HIGHDPIAWARE");

    // Too long for the read buffer: left alone instead of being replaced by our layer.
    const std::wstring many =
        L"~ RUNASADMIN WINXPSP3 DISABLETHEMES DISABLEDWM 256COLOR 640X480 "
        L"DISABLEUSERCALLBACKEXCEPTION RUNASINVOKER";
    SetString(layers, L"C:\\many.exe", many);
    EXPECT_FALSE(SetCompatLayerIn(layers, L"C:\\many.exe", L"HIGHDPIAWARE"));
    RegistryKey direct(HKEY_CURRENT_USER);
    direct.Open(layers);
    DWORD bytes = 0;
    RegQueryValueExW(direct.Key(), L"C:\\many.exe", nullptr, nullptr, nullptr, &bytes);
    EXPECT_EQ(bytes, (many.size() + 1) * sizeof(wchar_t));
}

TEST(ConfigStrings, UseTheProfileUnlessARegistryIsInstalled) {
    TestRegistryKey test;
    const std::wstring savedProfile = ApplicationProfileKey();
    SetApplicationProfileKey(test.Path() + L"\\profile");
    EXPECT_EQ(GetConfigString(L"config", L"teacherid", L"none"), L"none");
    EXPECT_TRUE(WriteConfigString(L"config", L"teacherid", L"교사7"));
    EXPECT_EQ(GetConfigString(L"config", L"teacherid", L""), L"교사7");

    // The updater's view: a read-only registry object on the remote's settings key.
    SetString(test.Path() + L"\\remote\\config", L"language", L"Eng");
    auto registry = std::make_unique<RegistryKey>(HKEY_CURRENT_USER);
    registry->SetReadOnly(true);
    ASSERT_TRUE(registry->Open(test.Path() + L"\\remote\\config"));
    InstallConfigRegistry(std::move(registry));
    EXPECT_EQ(GetConfigString(L"ignored", L"language", L"Kor"), L"Eng");
    EXPECT_EQ(GetConfigString(L"config", L"teacherid", L"none"), L"none");
    EXPECT_FALSE(WriteConfigString(L"config", L"language", L"Jpn"));
    InstallConfigRegistry(nullptr);
    EXPECT_EQ(GetConfigString(L"config", L"teacherid", L""), L"교사7");
    SetApplicationProfileKey(savedProfile);
}

// Each message handled posts the next one: a queue that never empties.
int ticksHandled = 0;
LRESULT CALLBACK RepostingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_APP) return DefWindowProcW(window, message, wParam, lParam);
    ++ticksHandled;
    if (wParam != 0) PostMessageW(window, WM_APP, wParam, 0);
    return 0;
}

TEST(PumpWait, EndsOnTimeWhileMessagesKeepArrivingAndKeepsQuitRequests) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RepostingProcedure;
    windowClass.lpszClassName = L"TesmoraOrluPumpWaitTest";
    RegisterClassW(&windowClass);
    HWND window =
        CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    ticksHandled = 0;
    PostMessageW(window, WM_APP, 1, 0);
    DWORD start = GetTickCount();
    PumpWait(200, PumpMode::kOneMessagePerStep);
    EXPECT_GE(GetTickCount() - start, 195u);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_GT(ticksHandled, 10);
    DestroyWindow(window);

    // Other modes take everything waiting on each pass.
    window =
        CreateWindowW(windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ticksHandled = 0;
    for (int i = 0; i < 30; ++i) PostMessageW(window, WM_APP, 0, 0);
    PumpWait(10, PumpMode::kDrainEachStep);
    EXPECT_EQ(ticksHandled, 30);
    DestroyWindow(window);

    // A quit request ends the wait and is left for the thread's own message loop.
    PostQuitMessage(7);
    start = GetTickCount();
    PumpWait(2000, PumpMode::kDrainEachStep);
    EXPECT_LT(GetTickCount() - start, 1000u);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM(7));
}

TEST(CreateDirectoryPath, CreatesEveryFolderAndRefusesToClimbAboveTheRoot) {
    TempFolder temp;
    std::wstring forward = temp.Path();
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    EXPECT_TRUE(CreateDirectoryPath(forward + L"/x/./y"));
    EXPECT_TRUE(fs::is_directory(temp / L"x\\y"));
    EXPECT_TRUE(CreateDirectoryPath(temp / L"x\\y"));  // existing folders are fine

    const std::wstring name = L"TesmoraOrluTest_" + UniqueSuffix();
    EXPECT_FALSE(CreateDirectoryPath(L"C:\\..\\" + name));
    EXPECT_FALSE(fs::exists(L"C:\\" + name));
    EXPECT_FALSE(CreateDirectoryPath(temp / (name + L"\\..\\..\\..\\..\\..\\..\\..\\..")));
    EXPECT_FALSE(fs::exists(temp / name));  // nothing made before the walk was refused
}

TEST(SystemQueries, AnswerForThisMachine) {
    EXPECT_TRUE(fs::is_directory(GetUserDesktopFolder(L"C:\\fallback", nullptr)));

    const OsVersion version = QueryOsVersion();
    EXPECT_EQ(version.platformId, kPlatformWindowsNt);
    EXPECT_TRUE(IsSupportedOsVersion(version));

    const std::wstring folder = GetModuleFolder();
    wchar_t program[1024];
    EXPECT_EQ(std::wstring(program, GetModuleFileNameW(nullptr, program, 1024)).rfind(folder + L"\\", 0), 0u);

    const std::wstring address = ChooseLocalAddress();  // empty, or a dotted address
    EXPECT_TRUE(address.empty() || std::count(address.begin(), address.end(), L'.') == 3) << address.size();

    EXPECT_EQ(ToAnsi(L"rsip=10.0.0.5"), "rsip=10.0.0.5");
    if (GetACP() == 1252) {
        EXPECT_EQ(ToAnsi(L"a\u4E00b"), "a?b");
    }
    if (GetACP() == 949) {
        EXPECT_EQ(ToAnsi(L"한국"), "\xC7\xD1\xB1\xB9");
    }
}

std::wstring Format(const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::wstring text = FormatDebugText(format, arguments);
    va_end(arguments);
    return text;
}

TEST(DebugPrint, FormatsWideStringArgumentsToTheExactSize) {
    EXPECT_EQ(Format(L"Can't create registry key: %s\n", L"SOFTWARE\\X"),
              L"Can't create registry key: SOFTWARE\\X\n");
    EXPECT_EQ(Format(L"연결 끊김 발생:%d\n", 10054), L"연결 끊김 발생:10054\n");
    EXPECT_EQ(Format(L"%s", std::wstring(5000, L'z').c_str()).size(), 5000u);
}

}  // namespace
