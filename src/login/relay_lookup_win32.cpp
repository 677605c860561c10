// The relay lookup's Win32 side (see relay_lookup_win32.h). UI thread only.
#include "login/relay_lookup_win32.h"

#include <windows.h>

#include "common/config/config_files_win32.h"
#include "common/http/http_fetch_win32.h"
#include "common/platform/ansi_text_win32.h"
#include "common/platform/wide_text_win32.h"
#include "common/ui/resource_module_win32.h"

namespace tesmora {

namespace {

class SystemLookupHost final : public RelayLookupHost {
public:
    explicit SystemLookupHost(CertificatePolicy policy) {
        style_.strictCertificates = policy == CertificatePolicy::kStrict;
    }
    int Fetch(const std::u16string& url, const std::u16string& query, std::string& body) override {
        std::wstring fileName;
        return HttpFetch(ToWide(url), ToWide(query), body, fileName, style_);
    }
    std::string EncodeAnsi(std::u16string_view text) override { return ToAnsi(ToWide(text)); }
    std::u16string DecodeAnsi(std::string_view bytes) override {
        return FromAnsi({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    }
    uint32_t TickCount() override { return ::GetTickCount(); }
    std::u16string LoadText(unsigned id) override { return ToU16(LoadResourceString(id)); }

private:
    HttpFetchStyle style_ = kRemoteFetchStyle;
};

class SettingIni final : public LookupSettings {
public:
    std::u16string Read(std::u16string_view key) override {
        return ToU16(ReadIniString(IniFilePath(IniFile::Setting), ToWide(kIniSection), ToWide(key), L""));
    }
    void Write(std::u16string_view key, std::u16string_view value) override {
        WriteSettingString(ToWide(kIniSection), ToWide(key), ToWide(value));
    }
};

}  // namespace

void PrepareSettingIni(const std::wstring& folder) {
    CreateIniIfMissing(folder + L"\\" + ToWide(kSettingIniName));
    PrepareIniFile(IniFile::Setting, folder);
}

std::wstring ReadWebServerSetting(const std::wstring& folder) {
    const std::wstring path = folder + L"\\" + ToWide(kConfigIniName);
    return ToWide(
        WebServerFromSetting(ToU16(ReadIniString(path, ToWide(kIniSection), ToWide(kWebServerKey), L""))));
}

CertificatePolicy ReadCertificatePolicySetting(const std::wstring& folder) {
    const std::wstring path = folder + L"\\" + ToWide(kConfigIniName);
    return StrictCertificatesFromSetting(
               ToU16(ReadIniString(path, ToWide(kIniSection), ToWide(kStrictCertificatesKey), L"")))
               ? CertificatePolicy::kStrict
               : CertificatePolicy::kLenient;
}

LookupAnswer LookupRelay(const std::wstring& teacherId, const std::wstring& webServer,
                         CertificatePolicy policy) {
    SystemLookupHost host(policy);
    return LookupRelay(ToU16(teacherId), ToU16(webServer), host, policy);
}

bool ApplyLookupAnswer(LookupAnswer& answer) {
    SettingIni settings;
    return ApplyLookupAnswer(answer, settings);
}

}  // namespace tesmora
