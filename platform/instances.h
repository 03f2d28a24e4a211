// Copies of the program running side by side.  A named mutex is a lock file
// in the configuration folder; the copy holding one listens on a local socket
// there, through which another copy can find its top-level windows
// (FindWindowW) and ask it to come to the front (SetForegroundWindow).  Each
// configuration folder has its own set, so runs with folders of their own
// never meet.
#pragma once

#include "platform/win.h"

// The window manager calls this whenever a top-level window is created,
// renamed or destroyed, so that other copies see the windows as they are.
void publishTopLevelWindows();

// A window of the given class and title (null matches any) in the copy that
// listens in this configuration folder, or null.  The handle stands for that
// copy's window: SetForegroundWindow on it (low bit set or not) brings it to
// the front there.
HWND findWindowInOtherCopy(LPCWSTR className, LPCWSTR windowName);
bool isOtherCopyWindow(HWND hwnd);
BOOL bringOtherCopyToFront();

// True once after another copy asked this one to come to the front.  The
// waker (may be null), set by the front-end, is called from another thread
// when such a request arrives, so that a front-end waiting for input can wake
// up; it must be safe to call from any thread.
bool takeForegroundRequest();
void setForegroundRequestWaker(void (*wake)());
