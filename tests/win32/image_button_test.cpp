// The image button under Wine: which picture each combination of enabled, checked and hover shows
// (checked by the pixels it paints), stretching to a new size, the F4 filter and the tooltip.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/ui/handles_win32.h"
#include "common/ui/window_win32.h"
#include "common/widgets/image_button_win32.h"
#include "resource.h"

using namespace tesmora;

namespace {

// The upload button's pictures: a tile whose fill tells the state apart.
constexpr COLORREF kNormalTile = RGB(0xF1, 0xF3, 0xF7);
constexpr COLORREF kHoverTile = RGB(0xE1, 0xF7, 0xFA);
constexpr COLORREF kCheckedTile = RGB(0x03, 0x98, 0xAB);
constexpr COLORREF kDisabledTile = RGB(0xED, 0xED, 0xED);

class ButtonHost : public Window {
public:
    ButtonHost() {
        RegisterWindowClass(L"TesmoraButtonHost", 0, ::GetSysColorBrush(COLOR_WINDOW));
        Create(0, L"TesmoraButtonHost", L"Button host", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr,
               0);
    }
};

class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus_.Started());
        ASSERT_NE(host_.Handle(), nullptr);
        ASSERT_TRUE(button_.Create(host_.Handle(), IDC_BTN_UPLOAD, WS_VISIBLE | BS_CHECKBOX, 10, 10, 55, 55));
        ASSERT_TRUE(
            button_.LoadBitmaps(IDB_UPLOAD, IDB_UPLOAD_HOVER, IDB_UPLOAD_DISABLED, IDB_UPLOAD_CHECKED));
    }

    // A pixel of the tile (not the icon) as the button painted it.
    COLORREF TilePixel() {
        ::RedrawWindow(button_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = ::GetDC(button_.Handle());
        COLORREF colour = ::GetPixel(dc, 8, 27);
        ::ReleaseDC(button_.Handle(), dc);
        return colour;
    }
    void Check(bool on) {
        ::SendMessageW(button_.Handle(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    void Hover() { ::SendMessageW(button_.Handle(), WM_MOUSEHOVER, 0, MAKELPARAM(5, 5)); }
    void Leave() { ::SendMessageW(button_.Handle(), WM_MOUSELEAVE, 0, 0); }

    GdiplusSession gdiplus_;
    ButtonHost host_;
    ImageButton button_;
};

}  // namespace

TEST_F(ImageButtonTest, PictureFollowsDisabledThenCheckedThenHover) {
    EXPECT_EQ(button_.PictureSize().cx, 55);
    EXPECT_EQ(button_.CurrentFace(), ImageButton::Face::Normal);
    EXPECT_EQ(TilePixel(), kNormalTile);

    Hover();
    EXPECT_EQ(button_.CurrentFace(), ImageButton::Face::Hover);
    EXPECT_EQ(TilePixel(), kHoverTile);

    Check(true);  // checked under the pointer: the checked picture
    EXPECT_EQ(button_.CurrentFace(), ImageButton::Face::Checked);
    EXPECT_EQ(TilePixel(), kCheckedTile);

    ::EnableWindow(button_.Handle(), FALSE);  // disabled and checked: the disabled picture
    EXPECT_EQ(button_.CurrentFace(), ImageButton::Face::Disabled);
    EXPECT_EQ(TilePixel(), kDisabledTile);

    // Re-enabled while the pointer still rests on it: hover is kept, checked still wins.
    ::EnableWindow(button_.Handle(), TRUE);
    EXPECT_TRUE(button_.Hovered());
    EXPECT_EQ(TilePixel(), kCheckedTile);
    Check(false);
    EXPECT_EQ(TilePixel(), kHoverTile);
    Leave();
    EXPECT_EQ(TilePixel(), kNormalTile);
}

TEST_F(ImageButtonTest, CheckBoxDoesNotToggleItselfOnClick) {
    ::SendMessageW(button_.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(button_.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(TilePixel(), kNormalTile);
}

TEST_F(ImageButtonTest, ResizedButtonStretchesItsPicture) {
    ::SetWindowPos(button_.Handle(), nullptr, 0, 0, 110, 40, SWP_NOMOVE | SWP_NOZORDER);
    ::RedrawWindow(button_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = ::GetDC(button_.Handle());
    // The tile fills the whole new width: near the right edge it is tile, not background.
    COLORREF right = ::GetPixel(dc, 100, 20);
    COLORREF left = ::GetPixel(dc, 8, 20);
    ::ReleaseDC(button_.Handle(), dc);
    EXPECT_EQ(left, kNormalTile);
    EXPECT_EQ(right, kNormalTile);
}

TEST_F(ImageButtonTest, SwallowsF4AsSystemKeyOnly) {
    auto message = [&](UINT id, WPARAM key, LPARAM flags) {
        MSG m{};
        m.hwnd = button_.Handle();
        m.message = id;
        m.wParam = key;
        m.lParam = flags;
        return m;
    };
    const LPARAM alt = static_cast<LPARAM>(1u << 29);
    MSG altF4 = message(WM_SYSKEYDOWN, VK_F4, alt);
    EXPECT_TRUE(Window::PreTranslateChain(altF4));
    MSG bareF4 = message(WM_SYSKEYDOWN, VK_F4, 0);
    EXPECT_TRUE(Window::PreTranslateChain(bareF4));
    MSG plainF4 = message(WM_KEYDOWN, VK_F4, 0);
    EXPECT_FALSE(Window::PreTranslateChain(plainF4));
    MSG altF5 = message(WM_SYSKEYDOWN, VK_F5, alt);
    EXPECT_FALSE(Window::PreTranslateChain(altF5));
}

TEST_F(ImageButtonTest, TooltipRegistersTheWholeButton) {
    ASSERT_NE(button_.Tooltip(), nullptr);
    EXPECT_EQ(::SendMessageW(button_.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 0);
    button_.SetTooltipText(L"선생님 패드 화면을 Teacher PC로 실시간 전송합니다.");
    EXPECT_EQ(::SendMessageW(button_.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    button_.SetTooltipText(L"다른 설명");
    EXPECT_EQ(::SendMessageW(button_.Tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST(ImageButtonAttach, AttachedDialogButtonHasNoTooltipControl) {
    GdiplusSession gdiplus;
    ButtonHost host;
    HWND existing = ::CreateWindowExW(0, L"BUTTON", L"바로 실행 하기", WS_CHILD | WS_VISIBLE, 0, 0, 67, 34,
                                      host.Handle(), reinterpret_cast<HMENU>(1), nullptr, nullptr);
    ImageButton button;
    ASSERT_TRUE(button.Attach(existing));
    EXPECT_EQ(button.Tooltip(), nullptr);
    button.SetTooltipText(L"무시됨");  // no control to register with: nothing happens
    EXPECT_TRUE(button.LoadBitmaps(IDB_MSG_OK, IDB_MSG_OK_HOVER, IDB_MSG_OK, IDB_MSG_OK_HOVER));
    EXPECT_EQ(button.PictureSize().cx, 67);
    EXPECT_EQ(button.PictureSize().cy, 34);
    // Loading again replaces the pictures.
    EXPECT_TRUE(button.LoadBitmaps(IDB_CLOSE, IDB_CLOSE, IDB_CLOSE, IDB_CLOSE));
    EXPECT_EQ(button.PictureSize().cx, 22);
}
