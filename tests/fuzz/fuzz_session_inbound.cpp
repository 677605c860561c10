// Fuzz target: texts from the login server and the teacher program, as the session routes them.
// The input is cut at zero code units into texts; each goes through the dispatcher, and the last
// also through the monitor-list handler. Nothing may crash, read out of bounds or allocate for an
// absurd count.
#include <cstddef>
#include <cstdint>
#include <string>

#include "session/teacher_session.h"

using namespace tesmora;

namespace {

class QuietPanel : public SessionHost {
public:
    bool OpenLoginConnection(const std::u16string&, uint16_t, std::u16string& port) override {
        port.assign(1, u'1');  // gcc 12 warns falsely (-Wrestrict) on assigning a literal here
        loginOpen = true;
        return true;
    }
    bool OpenTeacherConnection(const std::u16string&, uint16_t) override {
        teacherOpen = true;
        return true;
    }
    bool IsOpen(Connection c) const override { return c == Connection::kLogin ? loginOpen : teacherOpen; }
    void CloseConnection(Connection c) override {
        (c == Connection::kLogin ? loginOpen : teacherOpen) = false;
    }
    void SendText(Connection, std::u16string_view) override {}
    std::u16string LocalAddress() override { return u"127.0.0.1"; }
    void StartTimer(SessionTimer, unsigned) override {}
    void StopTimer(SessionTimer) override {}
    void ShowLoading(int) override {}
    void HideLoading() override {}
    void PumpMessages(unsigned) override {}
    void ShowMessage(std::u16string_view) override {}
    std::u16string LoadString(int) override { return u"%s"; }
    std::u16string Language() override { return u"Eng"; }
    LoginStepResult RunLoginStep(const std::u16string&) override { return {}; }
    void WriteProfileTeacherId(const std::u16string&) override {}
    void ShowPanel() override {}
    void ClosePanel() override {}
    void Quit() override {}
    uint32_t TickCount() override { return 45000; }
    int ScreenWidth() override { return 1920; }
    int ScreenHeight() override { return 1080; }
    void EnsureScreenImage(int, int) override {}
    void OnPadTouchState(bool) override {}
    void OnScreenShareState(bool) override {}
    void OnMonitorsChanged(int) override {}

    bool loginOpen = false;
    bool teacherOpen = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QuietPanel panel;
    TeacherSession session(panel);
    session.Start({true, u"t", u"h", u"1"});
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t unit = char16_t(data[i] | data[i + 1] << 8);
        if (unit == 0) {
            session.OnText(text);
            text.clear();
        } else {
            text.push_back(unit);
        }
    }
    session.OnText(text);
    session.OnMonitorList(text, 1920, 1080);
    return 0;
}
