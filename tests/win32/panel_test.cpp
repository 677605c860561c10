// The panel's Windows parts: setting.ini as the relay-settings reader sees it (a real file through
// the private-profile functions) and the teacher-screen image kept once per size.
#include <gtest/gtest.h>
#include <windows.h>

#include "remote_control/remote_host_record_win32.h"
#include "panel/setting_ini_win32.h"
#include "temp_folder_win32.h"

using namespace tesmora;

namespace {

std::wstring ReadKey(const std::wstring& path, const wchar_t* key) {
    wchar_t value[64] = {};
    ::GetPrivateProfileStringW(L"default", key, L"<none>", value, 64, path.c_str());
    return value;
}

}  // namespace

TEST(PanelSettingIni, MissingFileIsCreatedAndTheDefaultPortWrittenBack) {
    TempFolder folder;
    SettingIniFile file(folder / L"setting.ini");
    RelaySettings settings = ReadRelaySettings(file);
    EXPECT_EQ(settings.address, u"0.0.0.0");
    EXPECT_EQ(settings.port, u"10240");
    EXPECT_TRUE(file.Exists());
    EXPECT_EQ(ReadKey(file.Path(), L"rsip"), L"0.0.0.0");
    EXPECT_EQ(ReadKey(file.Path(), L"rsport"), L"10240");
}

TEST(PanelSettingIni, PortZeroIsRewrittenAndAKnownRelayKept) {
    TempFolder folder;
    SettingIniFile file(folder / L"setting.ini");
    ::WritePrivateProfileStringW(L"default", L"rsip", L"10.1.2.3", file.Path().c_str());
    ::WritePrivateProfileStringW(L"default", L"rsport", L"0", file.Path().c_str());
    RelaySettings settings = ReadRelaySettings(file);
    EXPECT_EQ(settings.address, u"10.1.2.3");
    EXPECT_EQ(settings.port, u"10240");
    EXPECT_EQ(ReadKey(file.Path(), L"rsip"), L"10.1.2.3");
    EXPECT_EQ(ReadKey(file.Path(), L"rsport"), L"10240");
}

TEST(PanelRemoteHost, ScreenImageIsMadeOncePerSize) {
    RemoteHostState state;
    RemoteHostRecord record(state);
    EXPECT_TRUE(record.name.empty());
    EXPECT_FALSE(record.socketHolder.HasSocket());

    ASSERT_TRUE(record.EnsureScreenImage(1920, 1080));
    uint8_t* bits = record.ScreenImage().Bits();
    EXPECT_EQ(record.ScreenImage().BitsPerPixel(), 32);
    ASSERT_TRUE(record.EnsureScreenImage(1920, 1080));
    EXPECT_EQ(record.ScreenImage().Bits(), bits);  // kept, not made again
    ASSERT_TRUE(record.EnsureScreenImage(1280, 1024));
    EXPECT_EQ(record.ScreenImage().Width(), 1280);
    // A size the teacher cannot have leaves nothing half made.
    EXPECT_FALSE(record.EnsureScreenImage(0, 1080));
    EXPECT_FALSE(record.EnsureScreenImage(100000, 100000));
    record.LockImage();
    record.UnlockImage();
}
