// The login dialog under Wine, run on a thread of its own and driven through window messages: the
// remembered ID shown selected, the layout at two scale factors, and which message each refused ID
// gets. (The lookup paths of the dialog are driven through the UI probe in tests/e2e/login.sh.)
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/ui/scale.h"
#include "login/login_dialog_win32.h"
#include "resource.h"
#include "temp_folder_win32.h"
#include "widget_test_support_win32.h"

using namespace tesmora;

namespace {

class RecordingLoginDlg : public LoginDialog {
public:
    std::atomic<UINT> lastError{0};

protected:
    void ShowInputError(UINT stringId) override {
        lastError = stringId;
        LoginDialog::ShowInputError(stringId);
    }
};

// Polls `done` every 10 ms for up to 5 s.
template <class Done>
bool WaitFor(Done done) {
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        ::Sleep(10);
    }
    return done();
}

class LoginRun {
public:
    explicit LoginRun(const std::wstring& teacherId) {
        dialog_.SetTeacherId(teacherId);
        dialog_.SetSettingsFolder(folder_.Path());
        thread_ = std::thread([this] {
            threadId_ = ::GetCurrentThreadId();
            result_ = dialog_.DoModal(nullptr);
            done_ = true;
        });
        WaitFor([this] { return dialog_.Handle() && ::IsWindowVisible(dialog_.Handle()); });
    }
    ~LoginRun() {
        if (!done_ && dialog_.Handle()) ::PostMessageW(dialog_.Handle(), WM_COMMAND, IDCANCEL, 0);
        thread_.join();
    }

    HWND Window() const { return dialog_.Handle(); }
    HWND Control(int id) const { return ::GetDlgItem(dialog_.Handle(), id); }
    INT_PTR Result() const {
        return WaitFor([this] { return done_.load(); }) ? result_.load() : -100;
    }
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
    }
    // The custom message box the dialog's thread shows (it has a title control 1011 too).
    HWND MessageBoxWindow() const {
        Search search{dialog_.Handle(), nullptr};
        WaitFor([&] {
            ::EnumThreadWindows(threadId_, FindOther, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        });
        return search.found;
    }
    RecordingLoginDlg& Dialog() { return dialog_; }

private:
    struct Search {
        HWND except, found;
    };
    static BOOL CALLBACK FindOther(HWND window, LPARAM data) {
        auto* search = reinterpret_cast<Search*>(data);
        if (window == search->except || !::IsWindowVisible(window) || !::GetDlgItem(window, IDC_TITLE))
            return TRUE;
        search->found = window;
        return FALSE;
    }

    TempFolder folder_;
    RecordingLoginDlg dialog_;
    std::atomic<bool> done_{false};
    std::atomic<INT_PTR> result_{-1};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

TEST(LoginDialog, RememberedIdSelectedAndLayoutAtBothFactors) {
    for (float s : {1.0f, 1.4f}) {
        SetScaleFactor(s);
        LoginRun run(L"demo-teacher");
        ASSERT_NE(run.Window(), nullptr);
        HWND edit = run.Control(IDC_LOGIN_ID_EDIT);
        DWORD start = 1, end = 0;
        ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 12u);
        EXPECT_TRUE(WaitFor([&] { return run.Focus() == edit; }));

        const LoginDialogLayout layout = LayoutLoginDialog(s);
        RECT client{};
        ::GetClientRect(run.Window(), &client);
        EXPECT_EQ(client.right, layout.width);
        EXPECT_EQ(client.bottom, layout.height);
        const std::pair<int, LayoutRect> places[] = {{IDC_TITLE, layout.title},
                                                     {IDC_BTN_CLOSE, layout.close},
                                                     {IDC_LOGIN_MESSAGE, layout.message},
                                                     {IDC_LOGIN_ID_LABEL, layout.label},
                                                     {IDC_LOGIN_ID_EDIT, layout.edit},
                                                     {IDOK, layout.connect},
                                                     {IDCANCEL, layout.cancel}};
        for (const auto& [id, place] : places) {
            const RECT r = ChildRect(run.Window(), run.Control(id));
            EXPECT_EQ((LayoutRect{r.left, r.top, r.right - r.left, r.bottom - r.top}), place)
                << id << " at " << s;
        }
        // The header band drags the dialog. (It also turns topmost half a second after opening, but
        // the dialog is a taskbar window, and without a window manager Wine leaves the topmost state
        // of such windows to the manager that is not there, so it cannot be seen here.)
        RECT window{};
        ::GetWindowRect(run.Window(), &window);
        EXPECT_EQ(
            ::SendMessageW(run.Window(), WM_NCHITTEST, 0, MAKELPARAM(window.left + 100, window.top + 5)),
            HTCAPTION);

        ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_EQ(run.Result(), IDCANCEL);
    }
    SetScaleFactor(1.0f);
}

TEST(LoginDialog, RefusedIdsGetTheirMessageAndTheDialogStaysWithTheEditFocused) {
    LoginRun run(L"");
    ASSERT_NE(run.Window(), nullptr);
    const std::pair<std::wstring, UINT> cases[] = {
        {L" \t ", IDS_ENTER_TEACHER_ID},
        {L"ab/cd", IDS_BAD_ID_CHARACTERS},
        {L" " + std::wstring(21, L'b') + L" ", IDS_ID_TOO_LONG},
    };
    for (const auto& [id, message] : cases) {
        ::SendMessageW(run.Control(IDC_LOGIN_ID_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(id.c_str()));
        ::PostMessageW(run.Control(IDOK), BM_CLICK, 0, 0);
        HWND box = run.MessageBoxWindow();
        ASSERT_NE(box, nullptr) << message;
        EXPECT_EQ(run.Dialog().lastError.load(), message);
        ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitFor([&] { return run.Focus() == run.Control(IDC_LOGIN_ID_EDIT); })) << message;
        EXPECT_TRUE(::IsWindowVisible(run.Window()));
    }
    ::PostMessageW(run.Control(IDC_BTN_CLOSE), BM_CLICK, 0, 0);
    EXPECT_EQ(run.Result(), IDCANCEL);
}

}  // namespace
