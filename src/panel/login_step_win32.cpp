// The login step over the login dialog (see login_step_win32.h).
#include "panel/login_step_win32.h"

#include "common/platform/wide_text_win32.h"
#include "login/login_dialog_win32.h"

namespace tesmora {

LoginStepResult RunLoginDialog(HWND owner, const std::u16string& teacherId) {
    LoginDialog login;
    login.SetTeacherId(ToWide(teacherId));
    LoginStepResult result;
    if (login.DoModal(owner) != IDOK) return result;
    result.ok = true;
    result.teacherId = ToU16(login.TeacherId());
    result.relayAddress = ToU16(login.RelayAddress());
    result.relayPort = ToU16(login.RelayPort());
    return result;
}

}  // namespace tesmora
