// tesmora-probe: a small console program that looks at and drives the windows of other programs, for
// end-to-end tests run from shell scripts. One action per run; exit code 0 on success, 1 on failure
// (with the reason on stderr); results on stdout, one record per line as tab-separated name=value
// fields in UTF-8. See docs/testing.md. Single-threaded.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "probe_animation_win32.h"
#include "probe_common_win32.h"
#include "probe_compare_win32.h"
#include "probe_input_win32.h"
#include "probe_mover_win32.h"
#include "probe_process_win32.h"
#include "probe_screenshot_win32.h"
#include "probe_windows_win32.h"

namespace {

constexpr wchar_t kUsage[] =
    L"usage: tesmora-probe ACTION [OPTIONS] [ARGUMENTS]\n"
    L"\n"
    L"Window selection: --hwnd H (that window, shown or not), or top-level windows matching all of\n"
    L"--title T, --title-part T, --class C, --pid P, --with-id N (has a control N) that are given;\n"
    L"--any also counts hidden windows; --first takes the first of several; --id N then picks the\n"
    L"window's control N. Texts may carry \\t \\n \\\\ \\uXXXX escapes.\n"
    L"\n"
    L"  find                      matching top-level windows, one record each (1 when none)\n"
    L"  wait [--timeout MS]       until a matching window exists; prints it\n"
    L"  wait-gone [--timeout MS]  until no matching window exists\n"
    L"  children                  the window's controls: id, class, style, states, rect, text\n"
    L"  text                      the window's or control's text\n"
    L"  set-text TEXT             sets it\n"
    L"  state                     visible, enabled, checked, focused\n"
    L"  click [--mouse|--input] [--at X,Y]   BM_CLICK, posted mouse messages, or real input\n"
    L"  drag X,Y X,Y...           real input: left button down at the first point (client\n"
    L"                            coordinates), through the others in small steps, up at the last\n"
    L"  key [--input] KEY...      enter, esc, tab, alt+f4, vk:N, a, text:...; posted, or real input\n"
    L"  send [--post] MSG [W [L]] a message by name (WM_CLOSE, WM_APP+0x64) or number\n"
    L"  screenshot FILE           the window, control or (without selection) whole screen; .png/.bmp\n"
    L"  start [--dir D] [--wait [--timeout MS]] PROGRAM [ARGS...]   prints pid (and exit)\n"
    L"  wait-exit PID [--image SUFFIX] [--timeout MS]   prints the exit code (empty when gone)\n"
    L"  kill PID [--image SUFFIX] ends the process (only when its image path ends with SUFFIX)\n"
    L"  compare A B [--limit X]   two pictures of one size (.png, .bmp, ...): mae=R,G,B (mean absolute\n"
    L"                            error per channel), max (the largest), peak, changed, width, height,\n"
    L"                            pixels; with --limit, 1 when a channel's error is X or more\n"
    L"  move-window --seconds S [--size WxH] [--step DX,DY]   a window of its own (default 320x240)\n"
    L"                            with a striped and checked pattern, moved by the step (default 40,0)\n"
    L"                            every 50 ms along the lower half of the screen, left of the\n"
    L"                            right-most 200 pixels, for S seconds; prints hwnd, pid, rect\n"
    L"  animate --seconds S       a window over the whole screen whose picture scrolls every 40 ms\n"
    L"                            (every part of an upload changes), for S seconds; prints hwnd, pid,\n"
    L"                            rect, then painted=N at the end\n"
    L"  grab-times [--seconds S]  times the ways of grabbing the whole screen (S each, default 2), on\n"
    L"                            a thread of its own, then on the main thread: thread, way, width,\n"
    L"                            height, bits, grabs, median_ms, least_ms, most_ms\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Records are UTF-8 bytes with \n line ends, whatever the console.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    ProbeOptions options;
    std::wstring error;
    if (!ParseProbeOptions(argc, argv, options, error)) {
        WriteUtf8(stderr, kUsage);
        return Fail(error);
    }
    const std::wstring& action = options.action;
    if (action == L"find") return RunFind(options);
    if (action == L"wait") return RunWait(options, false);
    if (action == L"wait-gone") return RunWait(options, true);
    if (action == L"children") return RunChildren(options);
    if (action == L"text") return RunText(options);
    if (action == L"set-text") return RunSetText(options);
    if (action == L"state") return RunState(options);
    if (action == L"click") return RunClick(options);
    if (action == L"drag") return RunDrag(options);
    if (action == L"key") return RunKey(options);
    if (action == L"send") return RunSend(options);
    if (action == L"screenshot") return RunScreenshot(options);
    if (action == L"start") return RunStart(options);
    if (action == L"wait-exit") return RunWaitExit(options);
    if (action == L"kill") return RunKill(options);
    if (action == L"compare") return RunCompare(options);
    if (action == L"move-window") return RunMoveWindow(options);
    if (action == L"animate") return RunAnimate(options);
    if (action == L"grab-times") return RunGrabTimes(options);
    if (action == L"help" || action == L"--help") {
        WriteUtf8(stdout, kUsage);
        return 0;
    }
    WriteUtf8(stderr, kUsage);
    return Fail(L"unknown action " + action);
}
