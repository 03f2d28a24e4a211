// Copies of the program in the browser.  Every page runs a copy of its own:
// a page cannot reach the program in another tab, nor bring that tab to the
// front, so a named mutex never exists before this page creates it and no
// other copy's windows are ever found.

#include <string>

#include "platform/instances.h"
#include "platform/internal.h"

struct KernelObject {
    std::string name;  // empty for an unnamed mutex
};

void publishTopLevelWindows() {}

HWND findWindowInOtherCopy(LPCWSTR, LPCWSTR) { return nullptr; }

bool isOtherCopyWindow(HWND) { return false; }

BOOL bringOtherCopyToFront() { return FALSE; }

bool takeForegroundRequest() { return false; }

void setForegroundRequestWaker(void (*)()) {}

HANDLE CreateMutexW(void*, BOOL, LPCWSTR name)
{
    auto* m = new KernelObject;
    if (name) m->name = toUtf8(name);
    SetLastError(ERROR_SUCCESS);
    return m;
}

BOOL CloseHandle(HANDLE handle)
{
    if (!handle) return FALSE;
    delete handle;
    return TRUE;
}
