// CRemoconDlg: the remote's main window, a small borderless always-on-top panel at the top-right of
// the screen. It runs the login step, owns the two connections (login server, teacher program) and
// carries out the teacher session's decisions as its SessionHost: sockets, timers, the loading
// dialog and message boxes. It stays hidden until the teacher program accepts the remote, keeps
// itself on top, can be dragged by its title strip and collapsed into the logo, and tells the
// teacher PC when the screen's resolution changes. Its upload button starts and stops the screen
// upload, whose capture thread hands every frame back to the panel to send. UI thread only, except
// where noted.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <optional>
#include <string>

#include "common/ui/dialog_win32.h"
#include "common/ui/handles_win32.h"
#include "common/widgets/image_button_win32.h"
#include "common/widgets/loading_dlg_win32.h"
#include "panel/logo_tap.h"
#include "panel/rh_info_win32.h"
#include "panel/upload_parameters.h"
#include "session/session_host.h"
#include "session/teacher_session.h"
#include "transport/tcp_socket_win32.h"

class CRemoconDlg : public CDialog, private SessionHost {
public:
    CRemoconDlg();
    ~CRemoconDlg() override;

    // The panel once its initialisation succeeded, else null. Set on the UI thread; read by the
    // note tool and the remote view.
    static CRemoconDlg* MainPanel();

    TeacherSession& Session() { return session_; }
    CRHInfo& RemoteHost() { return remoteHost_; }
    // Read by the capture thread.
    const UploadParameters& Upload() const { return upload_; }
    // Sets the upload parameters for a `width` x `height` screen and sends them ("[RC00008]").
    void RefreshUploadParameters(int width, int height);

    bool LogoMode() const { return logoMode_; }
    // Remote control of the teacher PC runs (its view thread exists).
    bool RemoteControlRunning() const { return remoteHost_.viewThread != nullptr; }
    bool Shown() const { return session_.WindowShown(); }

protected:
    BOOL OnInitDialog() override;
    std::span<const MessageEntry> MessageTable() const override;
    void OnOK() override;
    void OnCancel() override;

private:
    // SessionHost.
    bool OpenLoginConnection(const std::u16string& host, uint16_t port, std::u16string& localPort) override;
    bool OpenTeacherConnection(const std::u16string& host, uint16_t port) override;
    bool IsOpen(Connection connection) const override;
    void CloseConnection(Connection connection) override;
    void SendText(Connection connection, std::u16string_view text) override;
    std::u16string LocalAddress() override;
    void StartTimer(PanelTimer timer, unsigned milliseconds) override;
    void StopTimer(PanelTimer timer) override;
    void ShowLoading(int stringId) override;
    void HideLoading() override;
    void PumpMessages(unsigned milliseconds) override;
    void ShowMessage(std::u16string_view text) override;
    std::u16string LoadString(int stringId) override;
    std::u16string Language() override;
    LoginStepResult RunLoginStep(const std::u16string& teacherId) override;
    void WriteProfileTeacherId(const std::u16string& teacherId) override;
    void ShowPanel() override;
    void ClosePanel() override;
    void Quit() override;
    uint32_t TickCount() override;
    int ScreenWidth() override;
    int ScreenHeight() override;
    void EnsureScreenImage(int width, int height) override;
    void SetButtonCheck(int buttonId, bool checked) override;
    void SelectMonitorInView(int monitorIndex) override;

    CTCPSocket& SocketOf(Connection connection);
    const CTCPSocket& SocketOf(Connection connection) const;

    // Initialisation steps.
    void CreateFonts();
    void SetColourKey();
    bool CreateButtons();
    void PlaceTitleAndCorner();
    void AddAboutItem();
    void PlaceAtHome(int screenWidth);
    void PlaceFeatureButtons();

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
    void OnCloseButton();
    void OnLogoButton();

    // Screen upload (panel_upload_win32.cpp).
    void OnUploadButton();
    void StartScreenUpload();
    void StopScreenUpload();
    bool StartCapture();
    void RestartCaptureAfterDisplayChange();
    void WaitForCapturesToEnd(unsigned limitMilliseconds);
    LRESULT OnUploadFrame(WPARAM, LPARAM);
    // The button stays disabled for `milliseconds` while the panel keeps reacting.
    void CoolDown(int buttonId, unsigned milliseconds);
    void ShowButton(int buttonId, bool shown);
    void MoveButton(int buttonId, int x, int y);

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

    CImageButton* Button(int id);

    TeacherSession session_;
    CTCPSocket loginSocket_;
    CTCPSocket teacherSocket_;
    CRHInfo remoteHost_;
    CLoadingDlg loading_;
    std::array<CImageButton, 10> buttons_;  // in the order of PanelButtons()
    UniqueFont titleFont_;
    UniqueFont boldFont_;
    UniqueBitmap topStrip_, bodyStrip_, bottomStrip_;
    UniqueMemoryDc canvas_;  // created at the first paint
    std::optional<GdiplusSession> gdiplus_;
    HICON icon_ = nullptr;
    UploadParameters upload_;
    std::wstring messageText_;

    bool captureRestarting_ = false;  // a display change waits for the old capture thread to end
    bool logoMode_ = false;
    int savedWidth_ = 0;
    int savedHeight_ = 0;
    LogoTap logoTap_;

    HWND noteToolbar_ = nullptr;  // the note tool's toolbar, once the note thread made it
    HWND viewWindow_ = nullptr;   // the remote view, while remote control runs
};
