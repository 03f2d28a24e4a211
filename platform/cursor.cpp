// The three system cursors; the front-end is told which one shows.
#include "platform/internal.h"

struct CursorObject {
    CursorShape shape;
    const char* name;
};

namespace {

CursorObject arrowCursor{CursorShape::Arrow, "arrow"};
CursorObject handCursor{CursorShape::Hand, "hand"};
CursorObject waitCursor{CursorShape::Wait, "wait"};

HCURSOR current = &arrowCursor;
int showCount = 0;

void tellFrontEnd()
{
    FrontEnd* fe = platformFrontEnd();
    if (!fe) return;
    fe->cursorChanged(current && showCount >= 0 ? current->shape : CursorShape::Hidden);
}

}  // namespace

void cursorReset()
{
    current = &arrowCursor;
    showCount = 0;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    if (name == IDC_ARROW) return &arrowCursor;
    if (name == IDC_HAND) return &handCursor;
    if (name == IDC_WAIT) return &waitCursor;
    SetLastError(1402);  // ERROR_INVALID_CURSOR_HANDLE
    return nullptr;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    if (cursor && cursor != &arrowCursor && cursor != &handCursor && cursor != &waitCursor) return current;
    HCURSOR previous = current;
    if (cursor == current) return previous;
    current = cursor;
    if (cursor) transcriptLine(std::string("cursor ") + cursor->name);
    tellFrontEnd();
    return previous;
}

int ShowCursor(BOOL show)
{
    const int before = showCount;
    showCount += show ? 1 : -1;
    if ((before >= 0) != (showCount >= 0)) tellFrontEnd();
    return showCount;
}
