// The panel's login step: the login dialog run modally over the panel with the teacher ID filled in,
// and what it leaves for the connection (trimmed ID, relay address and port). UI thread only.
#pragma once

#include <windows.h>

#include <string>

#include "session/session_host.h"

namespace tesmora {

LoginStepResult RunLoginDialog(HWND owner, const std::u16string& teacherId);

}  // namespace tesmora
