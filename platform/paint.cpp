// Device contexts, the invalid region of each window and painting.
#include "platform/internal.h"

namespace {

// Contexts are recycled, never freed, so that a stale handle still points at
// a record whose magic says it is no longer handed out.
std::vector<DeviceContext*>& spareDCs()
{
    static auto* pool = new std::vector<DeviceContext*>;
    return *pool;
}

RECT clientRectOf(const Window* w)
{
    const RECT r = screenRectOf(w);
    return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

}  // namespace

// Works out the clip rectangle and the occluders for the present layout.
static void computeClip(DeviceContext* dc)
{
    dc->layout = windowLayout();
    dc->pixels = framebuffer();
    dc->stride = screenWidth();
    dc->occluders.clear();
    Window* w = dc->window;
    if (w && !validWindow(w)) {
        dc->clip = RECT{0, 0, 0, 0};  // the window is gone
        return;
    }
    if (w) {
        const RECT r = screenRectOf(w);
        dc->originX = r.left;
        dc->originY = r.top;
        dc->clip = visibleBounds(w);
        if (!emptyRect(dc->clip)) collectOccluders(w, dc->occluders);
    } else {
        dc->clip = RECT{0, 0, screenWidth(), screenHeight()};
    }
    if (dc->limited) dc->clip = intersectRect(dc->clip, dc->limit);
}

void refreshDC(DeviceContext* dc)
{
    // Only window contexts follow the layout; a context of the screen keeps
    // what it was given (its occluders are its maker's business).
    if (dc->window) {
        computeClip(dc);
    } else {
        dc->layout = windowLayout();
        dc->pixels = framebuffer();
        dc->stride = screenWidth();
        dc->clip = intersectRect(dc->clip, RECT{0, 0, screenWidth(), screenHeight()});
    }
}

DeviceContext* acquireDC(Window* w, const RECT* clipScreen)
{
    DeviceContext* dc;
    auto& pool = spareDCs();
    if (pool.empty()) {
        dc = new DeviceContext;
    } else {
        dc = pool.back();
        pool.pop_back();
    }
    dc->magic = kLiveDC;
    dc->window = w;
    dc->paint = false;
    dc->limited = clipScreen != nullptr;
    if (clipScreen) dc->limit = *clipScreen;
    dc->originX = dc->originY = 0;
    computeClip(dc);
    dc->pen = stockObject(BLACK_PEN);
    dc->brush = stockObject(WHITE_BRUSH);
    dc->font = stockObject(SYSTEM_FONT);
    dc->textColour = RGB(0, 0, 0);
    dc->bkColour = RGB(255, 255, 255);
    dc->bkMode = OPAQUE;
    return dc;
}

void releaseDC(DeviceContext* dc)
{
    if (!validDC(dc)) return;
    dc->magic = 0;
    dc->window = nullptr;
    spareDCs().push_back(dc);
}

HDC GetDC(HWND hwnd)
{
    if (hwnd && !validWindow(hwnd)) return nullptr;
    return acquireDC(hwnd, nullptr);
}

int ReleaseDC(HWND hwnd, HDC hdc)
{
    if (!validDC(hdc) || hdc->paint) return 0;
    releaseDC(hdc);
    return 1;
}

static void invalidateWindow(Window* w, const RECT* rect, bool erase)
{
    const RECT client = clientRectOf(w);
    const RECT r = rect ? intersectRect(*rect, client) : client;
    if (emptyRect(r)) return;
    w->update = w->invalid ? unionRect(w->update, r) : r;
    w->invalid = true;
    if (erase) w->erase = true;
}

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    if (!hwnd) {
        // The whole screen: every window and the desktop.
        const RECT screen{0, 0, screenWidth(), screenHeight()};
        exposeScreenRect(screen, nullptr);
        return TRUE;
    }
    if (!validWindow(hwnd)) return FALSE;
    invalidateWindow(hwnd, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    if (!validWindow(hwnd)) return FALSE;
    if (!hwnd->invalid) return TRUE;
    RECT& u = hwnd->update;
    if (!rect) {
        hwnd->invalid = false;
        hwnd->erase = false;
        u = RECT{0, 0, 0, 0};
        return TRUE;
    }
    // The region is one rectangle: it shrinks only where `rect` cuts off a
    // whole band of it; otherwise it stays as it is (painting more than needed
    // is harmless, painting less is not).
    const RECT& v = *rect;
    const bool spansX = v.left <= u.left && v.right >= u.right;
    const bool spansY = v.top <= u.top && v.bottom >= u.bottom;
    if (spansX && spansY) {
        hwnd->invalid = false;
        hwnd->erase = false;
        u = RECT{0, 0, 0, 0};
    } else if (spansX && v.top <= u.top && v.bottom > u.top) {
        u.top = v.bottom;
    } else if (spansX && v.bottom >= u.bottom && v.top < u.bottom) {
        u.bottom = v.top;
    } else if (spansY && v.left <= u.left && v.right > u.left) {
        u.left = v.right;
    } else if (spansY && v.right >= u.right && v.left < u.right) {
        u.right = v.left;
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (!validWindow(hwnd) || !ps) return nullptr;
    RECT paintRect = hwnd->invalid ? hwnd->update : RECT{0, 0, 0, 0};
    const bool erase = hwnd->invalid && hwnd->erase;
    hwnd->invalid = false;
    hwnd->erase = false;
    hwnd->update = RECT{0, 0, 0, 0};

    const RECT r = screenRectOf(hwnd);
    const RECT clipScreen = offsetRect(paintRect, r.left, r.top);
    DeviceContext* dc = acquireDC(hwnd, &clipScreen);
    dc->paint = true;
    ps->hdc = dc;
    ps->rcPaint = paintRect;
    ps->fErase = TRUE;
    if (erase && !emptyRect(dc->clip))
        ps->fErase = SendMessageW(hwnd, WM_ERASEBKGND, WPARAM(dc), 0) ? FALSE : TRUE;
    else if (!erase)
        ps->fErase = FALSE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps || !validDC(ps->hdc) || !ps->hdc->paint) return FALSE;
    releaseDC(ps->hdc);
    return TRUE;
}

// Sends WM_PAINT to the window and then to its children, where invalid.
static void updateTree(Window* w)
{
    if (!reallyVisible(w)) return;
    if (w->invalid) SendMessageW(w, WM_PAINT, 0, 0);
    // The list may change while painting; walk a copy.
    std::vector<Window*> kids = w->children;
    for (Window* c : kids)
        if (validWindow(c)) updateTree(c);
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!validWindow(hwnd)) return FALSE;
    updateTree(hwnd);
    return TRUE;
}
