// The custom message box under Wine: the buttons of each type at their places for the factors 1 and
// 1.4, the answers of Enter, Esc, the close button and the answer buttons, and the process-wide guard.
#include <gtest/gtest.h>

#include <functional>

#include "common/ui/scale.h"
#include "common/widgets/message_box_dialog_win32.h"
#include "widget_test_support_win32.h"

using namespace tesmora;

namespace {

struct ScaleScope {
    explicit ScaleScope(float s) { SetScaleFactor(s); }
    ~ScaleScope() { SetScaleFactor(1.0f); }
};

void ExpectLayout(int type, float s) {
    ScaleScope scale(s);
    std::wstring caption = L"Layout " + std::to_wstring(type) + L" " + std::to_wstring(s);
    MessageBoxThread run(L"버튼 배치를 확인합니다.", caption, type);
    HWND box = MessageBoxThread::FindBox(caption);
    ASSERT_NE(box, nullptr);
    MessageBoxLayout expected = LayoutMessageBox(type, s);

    RECT client{};
    ::GetClientRect(box, &client);
    EXPECT_EQ(client.right, expected.width);
    EXPECT_EQ(client.bottom, expected.height);
    for (int id : {kMsgBoxIdOk, kMsgBoxIdYes, kMsgBoxIdNo, kMsgBoxIdCancel}) {
        HWND button = ::GetDlgItem(box, id);
        ASSERT_NE(button, nullptr) << id;
        const MsgBoxButtonPlace* place = nullptr;
        for (const auto& b : expected.buttons) {
            if (b.id == id) place = &b;
        }
        EXPECT_EQ(::IsWindowVisible(button) != FALSE, place != nullptr)
            << "type " << type << " button " << id;
        if (!place) continue;
        RECT rect = ChildRect(box, button);
        EXPECT_EQ(rect.left, place->rect.x) << id;
        EXPECT_EQ(rect.top, place->rect.y) << id;
        EXPECT_EQ(rect.right - rect.left, place->rect.width) << id;
        EXPECT_EQ(rect.bottom - rect.top, place->rect.height) << id;
    }
    HWND close = ::GetDlgItem(box, kMsgBoxIdClose);
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(::IsWindowVisible(close));
    RECT closeRect = ChildRect(box, close);
    EXPECT_EQ(closeRect.left, expected.close.x);
    EXPECT_EQ(closeRect.top, expected.close.y);
    EXPECT_EQ(closeRect.right - closeRect.left, expected.close.width);

    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(run.Answer(), kAnswerCancel);
}

int AnswerAfter(int type, const std::function<void(HWND)>& act) {
    std::wstring caption = L"Answer " + std::to_wstring(type);
    MessageBoxThread run(L"질문", caption, type);
    HWND box = MessageBoxThread::FindBox(caption);
    if (!box) return -200;
    act(box);
    return run.Answer();
}

void Click(HWND box, int id) {
    ::PostMessageW(::GetDlgItem(box, id), BM_CLICK, 0, 0);
}

}  // namespace

TEST(CustomMessageBox, ButtonsOfEachTypeAtFactorOne) {
    for (int type : {0, 3, 4, 1}) ExpectLayout(type, 1.0f);
}

TEST(CustomMessageBox, ButtonsOfEachTypeAtFactorOnePointFour) {
    for (int type : {0, 3, 4, 2}) ExpectLayout(type, 1.4f);
}

TEST(CustomMessageBox, EnterAnswersOkAndEscOrCloseCancelInEveryType) {
    for (int type : {0, 1, 2, 3, 4}) {
        EXPECT_EQ(AnswerAfter(type, [](HWND box) { ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0); }),
                  kAnswerOk)
            << type;
        EXPECT_EQ(AnswerAfter(type, [](HWND box) { ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); }),
                  kAnswerCancel)
            << type;
        EXPECT_EQ(AnswerAfter(type, [](HWND box) { Click(box, kMsgBoxIdClose); }), kAnswerCancel) << type;
    }
}

TEST(CustomMessageBox, EnterIsOkEvenWithTheFocusOnYes) {
    int answer = AnswerAfter(4, [](HWND box) {
        HWND yes = ::GetDlgItem(box, kMsgBoxIdYes);
        ::PostMessageW(yes, WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(answer, kAnswerOk);
}

TEST(CustomMessageBox, AnswerButtonsGiveTheirCodes) {
    EXPECT_EQ(AnswerAfter(0, [](HWND box) { Click(box, kMsgBoxIdOk); }), kAnswerOk);
    EXPECT_EQ(AnswerAfter(3, [](HWND box) { Click(box, kMsgBoxIdYes); }), kAnswerYes);
    EXPECT_EQ(AnswerAfter(3, [](HWND box) { Click(box, kMsgBoxIdNo); }), kAnswerNo);
    EXPECT_EQ(AnswerAfter(3, [](HWND box) { Click(box, kMsgBoxIdCancel); }), kAnswerCancel);
    EXPECT_EQ(AnswerAfter(4, [](HWND box) { Click(box, kMsgBoxIdNo); }), kAnswerNo);
}

TEST(CustomMessageBox, SecondBoxFromAnotherThreadAnswersMinusOneAtOnce) {
    MessageBoxThread first(L"첫 번째", L"Guard first", 0);
    HWND box = MessageBoxThread::FindBox(L"Guard first");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsCustomMessageOpen());

    auto start = std::chrono::steady_clock::now();
    MessageBoxThread second(L"두 번째", L"Guard second", 0);
    EXPECT_EQ(second.Answer(1000), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(MessageBoxThread::FindOwnDialog(L"Guard second"), nullptr);

    ::PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(first.Answer(), kAnswerOk);
    EXPECT_FALSE(IsCustomMessageOpen());
}

TEST(CustomMessageBox, TitleCarriesTheCaptionOrTheDefault) {
    MessageBoxThread run(L"본문", L"", 0);
    HWND box = MessageBoxThread::FindBox(kDefaultMessageCaption);
    ASSERT_NE(box, nullptr);
    wchar_t title[64]{};
    ::GetDlgItemTextW(box, kMsgBoxIdTitle, title, 64);
    EXPECT_STREQ(title, kDefaultMessageCaption);
    // The top band drags the box.
    RECT window{};
    ::GetWindowRect(box, &window);
    LRESULT hit = ::SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(window.left + 100, window.top + 20));
    EXPECT_EQ(hit, HTCAPTION);
    LRESULT below = ::SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(window.left + 100, window.top + 100));
    EXPECT_NE(below, HTCAPTION);
    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(run.Answer(), kAnswerCancel);
}

namespace {

// While a box asks, the window it belongs to takes no input: a tap on the panel under the close
// question must not start an upload. Checked from a timer of the box's own loop.
struct OwnerProbe {
    HWND owner = nullptr;
    bool ownerEnabledWhileAsking = true;
    bool checked = false;
};
OwnerProbe gOwnerProbe;

void CALLBACK CheckOwnerThenAnswer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = MessageBoxThread::FindOwnDialog(L"Owner");
    if (!box) return;
    ::KillTimer(nullptr, timer);
    gOwnerProbe.ownerEnabledWhileAsking = ::IsWindowEnabled(gOwnerProbe.owner) != FALSE;
    gOwnerProbe.checked = true;
    ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
}

}  // namespace

TEST(CustomMessage, IsModalToItsOwnerAndGivesItBackItsInput) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"Owner window", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                   nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    gOwnerProbe = {owner, true, false};
    ::SetTimer(nullptr, 0, 20, CheckOwnerThenAnswer);
    EXPECT_EQ(ShowCustomMessage(L"질문", L"Owner", kMsgBoxTypeYesNo, owner), kAnswerCancel);
    EXPECT_TRUE(gOwnerProbe.checked);
    EXPECT_FALSE(gOwnerProbe.ownerEnabledWhileAsking);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    ::DestroyWindow(owner);
}
