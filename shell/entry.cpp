// The program's entry function: window class, main window, the first Play
// command and the message loop.
#include "shell/entry.h"

#include "game/context.h"
#include "resources/resources.h"
#include "shell/window_proc.h"

namespace {

const WCHAR kClassName[] = L"VOSTRA";
const WCHAR kTitle[] = L"Vostra";
constexpr int kMenuBarHeight = 26;
constexpr UINT kCommandPlay = 40004;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand) {
    registerResources(&programResources());
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    if (!RegisterClassW(&wc)) return 0;

    HWND hwnd = CreateWindowExW(0, kClassName, kTitle, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 0;
    // Leave the bottom of the screen to the menu bar.
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - kMenuBarHeight - r.top, FALSE);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    GameContext& g = theGame();
    g.mainWindow = hwnd;
    g.successText = L"Success";
    g.failureText = L"Failure";
    g.goodText = L"Good";

    PostMessageW(hwnd, WM_COMMAND, kCommandPlay, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return int(msg.wParam);
}
