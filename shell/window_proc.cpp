// The main window's procedure: every message the program handles, one case
// each, and the menu bar it builds when it is created.
#include "shell/window_proc.h"

#include "control/input.h"
#include "control/operations.h"
#include "game/commands.h"
#include "game/context.h"
#include "game/notify.h"
#include "problems/tree.h"
#include "resources/ids.h"
#include "rules/takeback.h"
#include "shell/dialogs.h"
#include "shell/shell.h"
#include "shell/ui_strings.h"
#include "view/render.h"

HINSTANCE programInstance = nullptr;
HWND mainWindowHandle = nullptr;
HWND menuBarWindow = nullptr;
HMENU menuSubMenu = nullptr;
HACCEL acceleratorTable = nullptr;

namespace {

// Handed to the shell's activation handlers.
SHACTIVATEINFO activationInfo;

// Menu and menu bar commands, by the low word of wParam; false for commands
// left to the default handling.
bool runCommand(HWND hwnd, UINT id)
{
    GameContext& g = theGame();
    switch (id) {
    case IDOK:
        SendMessageW(hwnd, WM_ACTIVATE, 0, LPARAM(hwnd));
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        return true;
    case IDCANCEL:
        return true;
    case kCmdQuit:
        PostQuitMessage(0);
        return true;
    case kCmdAboutAlt:
    case kCmdAbout:
        showAbout();
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
    case kCmdSelectProblem:
        navigate(g, Navigation::Select, selectProblemNumber(hwnd));
        return true;
    case kCmdBack:
        goBack(g);
        return true;
    case kCmdRightSoftKey:
        pressRightSoftKey(g);
        return true;
    case kCmdSound:
        toggleSound(g);
        CheckMenuItem(menuSubMenu, kCmdSound, MF_BYCOMMAND | (g.soundOn ? MF_CHECKED : MF_UNCHECKED));
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

bool createMenuBar(HWND hwnd)
{
    activationInfo = SHACTIVATEINFO{};
    activationInfo.cbSize = sizeof activationInfo;
    SHMENUBARINFO info{};
    info.cbSize = sizeof info;
    info.hwndParent = hwnd;
    info.nToolBarId = chineseUi ? IDR_MENUBAR_ZH : IDR_MENUBAR_EN;
    info.hInstRes = programInstance;
    if (!SHCreateMenuBar(&info)) return false;
    menuBarWindow = info.hwndMB;
    ShowWindow(menuBarWindow, SW_SHOW);
    menuSubMenu = reinterpret_cast<HMENU>(SendMessageW(menuBarWindow, SHCMBM_GETSUBMENU, 0, kCmdMenu));
    return true;
}

void relabelRightSoftKey(int32 mode)
{
    if (mode < 0 || mode > 2 || !menuBarWindow) return;
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = softKeyLabels[mode];
    SendMessageW(menuBarWindow, TB_SETBUTTONINFO, kCmdRightSoftKey, LPARAM(&info));
}

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    GameContext& g = theGame();
    switch (msg) {
    case WM_CREATE:
        if (!createMenuBar(hwnd)) {
            PostQuitMessage(0);
            return 0;
        }
        rightSoftKeyLabeller = relabelRightSoftKey;
        g.currentProblem = readStoredProblem();
        SetWindowTextW(hwnd, windowTitle);
        return 0;
    case WM_DESTROY:
        freeScratch();
        if (menuBarWindow) DestroyWindow(menuBarWindow);
        menuBarWindow = nullptr;
        menuSubMenu = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        SHHandleWMActivate(hwnd, wParam, lParam, &activationInfo, 0);
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_SETTINGCHANGE:
        SHHandleWMSettingChange(hwnd, wParam, lParam, &activationInfo);
        return 0;
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
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}
