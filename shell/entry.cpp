// The program's entry function: language and strings, one copy only, the
// main window with its menu bar, the first Play command, the message loop,
// and the problem number stored on the way out.
#include "shell/entry.h"

#include "game/commands.h"
#include "game/context.h"
#include "platform/frontend.h"
#include "resources/ids.h"
#include "resources/resources.h"
#include "shell/dialogs.h"
#include "shell/shell.h"
#include "shell/ui_strings.h"
#include "shell/window_proc.h"

namespace {

constexpr int kInstanceAttempts = 5;
constexpr DWORD kInstanceRetryMs = 500;

// The single-instance marker, open for the life of the process.
HANDLE instanceMutex = nullptr;

// True when this is the only copy; false when start-up must stop (another
// copy runs, and has been brought to the front if it could be found).
bool becomeOnlyCopy()
{
    for (int attempt = 0; attempt < kInstanceAttempts; ++attempt) {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, windowClassName);
        if (!mutex) return false;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            instanceMutex = mutex;
            return true;
        }
        CloseHandle(mutex);
        HWND other = FindWindowW(windowClassName, windowTitle);
        if (!other) {
            Sleep(kInstanceRetryMs);
            other = FindWindowW(windowClassName, windowTitle);
        }
        if (other) {
            SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(other) | 1));
            return false;
        }
    }
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand)
{
    // The resources are part of the program, there before it starts.
    registerResources(&programResources());
    programInstance = instance;

    chooseLanguage();
    loadWindowStrings();
    if (!becomeOnlyCopy()) return 0;
    if (HWND other = FindWindowW(windowClassName, windowTitle)) {
        SetForegroundWindow(other);
        mainWindowHandle = other;
        return 0;
    }

    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_PROGRAM));
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = windowClassName;
    RegisterClassW(&wc);

    HWND hwnd = CreateWindowExW(0, windowClassName, windowTitle, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 0;
    mainWindowHandle = hwnd;

    // Leave the bottom of the screen to the menu bar.
    RECT r;
    GetWindowRect(hwnd, &r);
    r.bottom -= kMenuBarHeight;
    if (menuBarWindow) MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    GameContext& g = theGame();
    loadUiStrings(g);
    g.mainWindow = hwnd;
    if (!allocateScratch()) return 0;
    acceleratorTable = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));

    PostMessageW(hwnd, WM_COMMAND, kCmdPlay, 0);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (TranslateAcceleratorW(msg.hwnd, acceleratorTable, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    storeProblem(g.currentProblem);
    return int(msg.wParam);
}
