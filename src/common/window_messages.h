// The private window messages that cross threads and windows. Their values are fixed: other threads
// and windows send them, so they are defined once, here. Messages to the panel or the remote view
// carry kCrossThreadCheck in wParam; one with another wParam is ignored.
#pragma once

#include <cstdint>

namespace tesmora {

inline constexpr uintptr_t kCrossThreadCheck = 0x12345;

// A frame socket to its owner window.
inline constexpr unsigned WM_SOCKET_CONNECT = 0x8002;  // sent; wParam socket, lParam error (0 = ok)
inline constexpr unsigned WM_SOCKET_RECEIVE = 0x8003;  // posted; wParam socket, lParam frame block
inline constexpr unsigned WM_SOCKET_CLOSE = 0x8004;    // sent; wParam socket

inline constexpr unsigned WM_NOTE_SHOW_TOOLBAR = 0x8065;   // panel to note thread's hidden frame
inline constexpr unsigned WM_NOTE_DROP_TO_TOUCH = 0x8066;  // panel to note thread's hidden frame
inline constexpr unsigned WM_AUDIO_PACKET = 0x8069;        // sound thread to panel, sent
inline constexpr unsigned WM_UPLOAD_FRAME = 0x806B;        // capture thread to panel, sent
inline constexpr unsigned WM_RC_OUTBOX_WAKE = 0x80C8;      // panel to control thread: the outbox holds more
inline constexpr unsigned WM_RC_SOCKET_RETURN = 0x812D;    // communication window to panel
inline constexpr unsigned WM_TOUCH_STATE = 0x812F;         // receiver thread to panel
inline constexpr unsigned WM_SHARE_STATE = 0x8130;         // receiver thread to panel
inline constexpr unsigned WM_MONITOR_LIST = 0x8131;        // receiver thread to panel, sent
inline constexpr unsigned WM_RC_CONNECTION_LOST = 0x0C34;  // communication window to panel
inline constexpr unsigned WM_RC_SELECT_MONITOR = 0x0F55;   // panel to remote view
inline constexpr unsigned WM_RC_FLUSH_INPUT = 0x07E8;      // input pump to communication window
inline constexpr unsigned WM_RC_IME_TOGGLE = 0x07F7;       // view to communication window
inline constexpr unsigned WM_RC_FRAME_SHOWN = 0x07FE;      // receiver to communication window
inline constexpr unsigned WM_RC_CHAR = 0x0810;             // view to communication window

}  // namespace tesmora
