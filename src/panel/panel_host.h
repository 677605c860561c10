// PanelHost: what the control panel's parts (the teacher link, the screen and sound uploads, remote
// control, the student-pad switches) ask of the panel that owns them: its window, its buttons, its
// mode, message boxes and strings, and the way to the teacher PC. The panel implements it; the parts
// reach each other only through it, so that each part's header and source stand alone. UI thread
// only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "panel/panel_modes.h"

namespace tesmora {

class Packet;
class RemoteHostRecord;
class FrameSocket;
class TeacherSession;

class PanelHost {
public:
    // The panel's window: it owns the parts' sockets, timers and dialogs.
    virtual HWND Window() const = 0;

    virtual bool ButtonChecked(int buttonId) const = 0;
    virtual void SetButtonCheck(int buttonId, bool checked) = 0;
    // A disabled button rests (a cool-down); either way it is repainted.
    virtual void EnableButton(int buttonId, bool enabled) = 0;
    virtual void RepaintButton(int buttonId) = 0;
    // Shows and places the feature buttons of the mode.
    virtual void SetPanelMode(PanelMode mode) = 0;
    // Shows the panel (the teacher program accepted the remote) and keeps it on top.
    virtual void ShowAtTop() = 0;

    // The custom message box over the panel (a box already open refuses a second one).
    virtual void ShowMessage(std::u16string_view text) = 0;
    virtual std::u16string LoadString(int stringId) = 0;

    // The teacher session and its connection's socket (lent to remote control while it runs).
    virtual TeacherSession& Session() = 0;
    virtual FrameSocket& TeacherSocket() = 0;
    // The record of the teacher PC that remote control's threads share.
    virtual RemoteHostRecord& RemoteHost() = 0;
    // Writes a text packet on the panel's own teacher connection; dropped while remote control
    // holds it.
    virtual void SendOnPanelConnection(std::u16string_view text) = 0;
    // Sends to the teacher PC whoever holds the connection (the panel, or remote control's
    // channel); false when no connection holds it and it was dropped.
    virtual bool SendToTeacher(std::u16string_view text) = 0;
    virtual bool SendPacketToTeacher(std::unique_ptr<Packet> packet) = 0;

    virtual bool Uploading() const = 0;
    // Remote control of the teacher PC runs (its view thread exists).
    virtual bool RemoteControlRunning() const = 0;
    // While remote control shows the teacher's screen, tells its view which monitor to show.
    virtual void SelectMonitorInView(int monitorIndex) = 0;

protected:
    ~PanelHost() = default;
};

}  // namespace tesmora
