// The main window's procedure: every message the program handles, one case
// each.
#include "shell/window_proc.h"

#include "game/commands.h"
#include "game/context.h"
#include "game/notify.h"
#include "game/operations.h"
#include "problems/tree.h"
#include "rules/takeback.h"
#include "view/input.h"
#include "view/render.h"

namespace {

// Menu and menu bar commands, by the low word of wParam; false for commands
// left to the default handling.
bool runCommand(HWND hwnd, UINT id) {
    GameContext& g = theGame();
    switch (id) {
    case IDCANCEL:
        return true;
    case kCmdQuit:
        PostQuitMessage(0);
        return true;
    case kCmdPlay:
        playCommand(g);
        return true;
    case kCmdNextProblem:
        navigate(g, Navigation::Next);
        return true;
    case kCmdPrevProblem:
        navigate(g, Navigation::Prev);
        return true;
    case kCmdBack:
        goBack(g);
        return true;
    case kCmdRightSoftKey:
        pressRightSoftKey(g);
        return true;
    case kCmdSound:
        toggleSound(g);
        return true;
    case kCmdMode:
        toggleFreeMode(g);
        return true;
    case kCmdPass:
        playPass(g);
        return true;
    default:
        return false;
    }
}

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    GameContext& g = theGame();
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        drawBoard(g, dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_KEYDOWN:
        handleKeyPress(g, wParam);
        return 0;
    case WM_MOUSEMOVE:
        updateCursor(g, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_LBUTTONUP:
        handleTap(g, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_RBUTTONUP:
        startProblem(g);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_KILLFOCUS:
    case WM_INITMENUPOPUP:
        return 0;
    case WM_COMMAND:
        if (runCommand(hwnd, LOWORD(wParam))) return 0;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    case kNotifyMovePlayed:
    case kNotifySolved:
    case kNotifyVariation:
    case kNotifyProblemStarted:
        onNotification(g, msg);
        return 0;
    case kNotifyFailed:
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
