// The relay lookup on the system: setting.ini beside the program, config.ini's web server, the web
// requests through HttpFetch, the ANSI code page, the tick count and the loaded language's strings.
// UI thread only (the requests block it).
#pragma once

#include <string>

#include "login/relay_lookup.h"

namespace tesmora {

// Makes <folder>\setting.ini the process's setting.ini: created holding [default] when missing, then
// prepared (rewritten as UTF-16 when an editor saved it otherwise). `folder` becomes the current
// directory.
void PrepareSettingIni(const std::wstring& folder);

// The web server of <folder>\config.ini (section "default", key "webserver"), or the default.
std::wstring ReadWebServerSetting(const std::wstring& folder);

// kStrict when <folder>\config.ini turns strict certificates on (section "default",
// "strictcertificates").
CertificatePolicy ReadCertificatePolicySetting(const std::wstring& folder);

// The lookup for `teacherId` at `webServer` (host[:port]).
LookupAnswer LookupRelay(const std::wstring& teacherId, const std::wstring& webServer,
                         CertificatePolicy policy = CertificatePolicy::kLenient);

// Applies the answer to the prepared setting.ini (see ApplyLookupAnswer in relay_lookup.h).
bool ApplyLookupAnswer(LookupAnswer& answer);

}  // namespace tesmora
