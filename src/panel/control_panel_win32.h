// ControlPanel: the remote's main window, a small borderless always-on-top panel at the top-right of
// the screen. It keeps the window, its buttons and painting: it stays hidden until the teacher
// program accepts the remote, keeps itself on top, can be dragged by its title strip and collapsed
// into the logo, and tells the teacher PC when the screen's resolution changes. Its parts do the
// rest: the teacher link (the two connections and the teacher session), the screen and sound
// uploads, remote control, the student-pad switches and the note tool. The panel owns them, forwards
// their window messages, buttons and timers (panel_parts_win32.cpp), and is their PanelHost.
// UI thread only.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "panel/logo_tap.h"
#include "panel/pad_switch_control_win32.h"
#include "panel/note_control_win32.h"
#include "panel/panel_host.h"
#include "panel/panel_modes.h"
#include "remote_control/remote_host_record_win32.h"
#include "panel/remote_control_win32.h"
#include "panel/sound_control_win32.h"
#include "panel/teacher_link_win32.h"
#include "panel/upload_control_win32.h"

namespace tesmora {

class ControlPanel : public Dialog, private PanelHost {
public:
    ControlPanel();
    ~ControlPanel() override;

protected:
    BOOL OnInitDialog() override;
    std::span<const MessageEntry> MessageTable() const override;
    void OnOK() override;
    void OnCancel() override;

private:
    // Initialisation steps.
    void CreateFonts();
    void SetColourKey();
    bool CreateButtons();
    void PlaceTitleAndCorner();
    void AddAboutItem();
    void PlaceAtHome(int screenWidth);
    void PlaceFeatureButtons();
    void ApplyPanelMode();
    int PanelHeight() const;
    void ShowButton(int buttonId, bool shown);
    void MoveButton(int buttonId, int x, int y);

    // PanelHost (panel_parts_win32.cpp).
    HWND Window() const override { return Handle(); }
    bool ButtonChecked(int buttonId) const override;
    void SetButtonCheck(int buttonId, bool checked) override;
    void EnableButton(int buttonId, bool enabled) override;
    void RepaintButton(int buttonId) override;
    // In logo mode the buttons follow when the panel is restored.
    void SetPanelMode(PanelMode mode) override;
    void ShowAtTop() override;
    void ShowMessage(std::u16string_view text) override { link_.ShowMessage(text); }
    std::u16string LoadString(int stringId) override { return link_.LoadString(stringId); }
    TeacherSession& Session() override { return link_.Session(); }
    FrameSocket& TeacherSocket() override { return link_.TeacherSocket(); }
    RemoteHostRecord& RemoteHost() override { return remoteHost_; }
    void SendOnPanelConnection(std::u16string_view text) override { link_.SendToTeacher(text); }
    bool SendToTeacher(std::u16string_view text) override { return remote_.SendText(text); }
    bool SendPacketToTeacher(std::unique_ptr<Packet> packet) override;
    bool Uploading() const override { return upload_.Uploading(); }
    bool RemoteControlRunning() const override { return remoteHost_.viewThread != nullptr; }
    void SelectMonitorInView(int monitorIndex) override { remote_.SelectMonitor(monitorIndex); }

    // Messages.
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnPaint(WPARAM, LPARAM);
    LRESULT OnEraseBackground(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(WPARAM, LPARAM);
    LRESULT OnNcHitTest(WPARAM, LPARAM);
    LRESULT OnNcLButtonDown(WPARAM, LPARAM);
    LRESULT OnNcLButtonUp(WPARAM, LPARAM);
    LRESULT OnNcMouseMove(WPARAM, LPARAM);
    LRESULT OnSocketConnect(WPARAM, LPARAM);
    LRESULT OnSocketReceive(WPARAM, LPARAM);
    LRESULT OnSocketClose(WPARAM, LPARAM);
    LRESULT OnMonitorList(WPARAM, LPARAM);
    LRESULT OnConnectionLost(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnWindowPosChanging(WPARAM, LPARAM);
    LRESULT OnDisplayChange(WPARAM, LPARAM);
    LRESULT OnUploadFrame(WPARAM, LPARAM);
    LRESULT OnAudioPacket(WPARAM, LPARAM);
    LRESULT OnSoundEnded(WPARAM, LPARAM);
    LRESULT OnSoundDeviceChanged(WPARAM, LPARAM);
    LRESULT OnTouchState(WPARAM, LPARAM);
    LRESULT OnShareState(WPARAM, LPARAM);
    void OnCloseButton();
    void OnLogoButton();
    void OnUploadButton();
    void OnRemoteButton();
    void OnKeyboardButton();
    void OnMonitorButton();
    LRESULT OnRemoteSocketReturn(WPARAM, LPARAM);
    LRESULT OnRemoteThreadEnded(WPARAM, LPARAM);
    LRESULT OnRemoteTeacherAlive(WPARAM, LPARAM);
    void OnSoundButton();
    void OnTouchButton();
    void OnShareButton();
    void OnNoteButton();

    // Closing: the question, then the end of the dialog.
    bool ConfirmClose();
    void CloseAfterConfirmation();

    // Painting and the logo (panel_painting_win32.cpp).
    void PaintPanel(HDC dc);
    void PaintLogo();
    void Collapse();
    void Restore();
    void OnLogoTapEnd(LogoTap::End end);
    void ReassertTopmost();

    ImageButton* Button(int id);

    TeacherLink link_;
    RemoteHostRecord remoteHost_;
    std::array<ImageButton, 10> buttons_;  // in the order of PanelButtons()
    UniqueFont titleFont_;
    UniqueFont boldFont_;
    UniqueBitmap topStrip_, bodyStrip_, bottomStrip_;
    UniqueMemoryDc canvas_;  // created at the first paint
    std::optional<GdiplusSession> gdiplus_;
    HICON icon_ = nullptr;

    PanelLayout layout_ = PanelLayout::kShipped;
    PanelMode mode_ = PanelMode::kConnected;
    bool logoMode_ = false;
    int savedWidth_ = 0;
    int savedHeight_ = 0;
    LogoTap logoTap_;

    RemoteControl remote_;  // its threads are joined before the record and the link go
    PadSwitchControl padSwitches_;
    SoundControl sound_;    // its sound thread is joined before anything else goes
    NoteControl note_;      // its thread is joined on destroy, before the window goes
    UploadControl upload_;  // last: its capture thread is joined before anything else goes
};

}  // namespace tesmora
