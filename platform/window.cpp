// Window classes, windows, their z-order, visibility, focus and activation,
// and the default window procedure.
#include <algorithm>
#include <cwctype>
#include <deque>
#include <unordered_set>

#include "platform/instances.h"
#include "platform/internal.h"

namespace {

struct WindowState {
    std::deque<WindowClass> classes;
    std::unordered_set<Window*> all;
    std::vector<Window*> topLevel;  // bottom to top
    Window* main = nullptr;
    Window* focus = nullptr;
    Window* active = nullptr;
};

// On the heap and never destroyed: windows may still be asked about while
// static objects are destroyed at exit.
WindowState& S()
{
    static auto* s = new WindowState;
    return *s;
}

bool sameName(const std::wstring& a, LPCWSTR b)
{
    if (!b || IS_INTRESOURCE(b)) return false;
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
    return i == a.size() && b[i] == 0;
}

const WindowClass* findClass(LPCWSTR name)
{
    for (const WindowClass& c : S().classes)
        if (sameName(c.name, name)) return &c;
    return nullptr;
}

std::vector<Window*>& siblingsOf(Window* w) { return w->parent ? w->parent->children : S().topLevel; }

void detach(Window* w)
{
    auto& list = siblingsOf(w);
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
}

bool isDescendant(const Window* w, const Window* ancestor)
{
    for (; w; w = w->parent)
        if (w == ancestor) return true;
    return false;
}

void invalidateTree(Window* w)
{
    InvalidateRect(w, nullptr, TRUE);
    for (Window* c : w->children)
        if (c->visible) invalidateTree(c);
}

// The title bar shows the caption of the foreground window; the foreground
// window is also the active one, told so with WM_ACTIVATE.
void foregroundChanged()
{
    repaintTitleBar();
    WindowState& s = S();
    Window* now = foregroundWindow();
    if (now == s.active) return;
    Window* before = s.active && validWindow(s.active) ? s.active : nullptr;
    s.active = now;
    if (before) SendMessageW(before, WM_ACTIVATE, WA_INACTIVE, LPARAM(now));
    if (now && s.active == now) SendMessageW(now, WM_ACTIVATE, WA_ACTIVE, LPARAM(before));
}

}  // namespace

uint64_t layoutCount = 1;
void windowLayoutChanged() { ++layoutCount; }

bool validWindow(HWND hwnd) { return hwnd && S().all.count(hwnd) != 0; }
std::vector<Window*>& topLevelWindows() { return S().topLevel; }
HWND platformMainWindow() { return S().main; }

void resetWindowManager()
{
    WindowState& s = S();
    for (Window* w : s.all) delete w;
    s.all.clear();
    s.topLevel.clear();
    s.classes.clear();
    s.main = s.focus = s.active = nullptr;
}

RECT screenRectOf(const Window* w)
{
    RECT r = w->rect;
    for (const Window* p = w->parent; p; p = p->parent) r = offsetRect(r, p->rect.left, p->rect.top);
    return r;
}

POINT clientOrigin(HWND hwnd)
{
    if (!validWindow(hwnd)) return POINT{0, kTitleBarHeight};
    const RECT r = screenRectOf(hwnd);
    return POINT{r.left, r.top};
}

bool reallyVisible(const Window* w)
{
    for (; w; w = w->parent)
        if (!w->visible) return false;
    return true;
}

RECT visibleBounds(const Window* w)
{
    if (!reallyVisible(w)) return RECT{0, 0, 0, 0};
    RECT r = intersectRect(screenRectOf(w), RECT{0, 0, screenWidth(), screenHeight()});
    for (const Window* p = w->parent; p; p = p->parent) r = intersectRect(r, screenRectOf(p));
    return r;
}

void collectOccluders(const Window* w, std::vector<RECT>& out)
{
    const RECT bounds = visibleBounds(w);
    auto add = [&](const Window* o) {
        if (!o->visible) return;
        const RECT r = intersectRect(screenRectOf(o), bounds);
        if (!emptyRect(r)) out.push_back(r);
    };
    for (const Window* c : w->children) add(c);
    for (const Window* n = w; n; n = n->parent) {
        const auto& list = n->parent ? n->parent->children : S().topLevel;
        auto it = std::find(list.begin(), list.end(), n);
        if (it == list.end()) continue;
        for (++it; it != list.end(); ++it) add(*it);
    }
}

Window* windowAtPoint(int x, int y)
{
    auto inside = [&](const Window* w) {
        const RECT r = screenRectOf(w);
        return w->visible && x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    const std::vector<Window*>* list = &S().topLevel;
    Window* found = nullptr;
    for (;;) {
        Window* next = nullptr;
        for (auto it = list->rbegin(); it != list->rend(); ++it)
            if (inside(*it)) {
                next = *it;
                break;
            }
        if (!next) return found;
        found = next;
        list = &next->children;
    }
}

Window* foregroundWindow()
{
    const auto& list = S().topLevel;
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if ((*it)->visible && !(*it)->destroying && !((*it)->exStyle & kExNoActivate)) return *it;
    return nullptr;
}

HWND platformActiveWindow()
{
    Window* w = foregroundWindow();
    return w ? w : S().main;
}

static void exposeTree(Window* w, const RECT& r, const Window* skip)
{
    if (w == skip || !w->visible) return;
    const RECT part = intersectRect(visibleBounds(w), r);
    if (emptyRect(part)) return;
    const RECT origin = screenRectOf(w);
    const RECT local = offsetRect(part, -origin.left, -origin.top);
    InvalidateRect(w, &local, TRUE);
    for (Window* c : w->children) exposeTree(c, r, skip);
}

void exposeScreenRect(const RECT& r, const Window* skip)
{
    std::vector<Window*> list = S().topLevel;
    for (Window* w : list) exposeTree(w, r, skip);
    repaintDesktop(r);
}

void raiseWindow(Window* w)
{
    auto& list = siblingsOf(w);
    auto it = std::find(list.begin(), list.end(), w);
    if (it == list.end()) return;
    list.erase(it);
    list.push_back(w);
    windowLayoutChanged();
    if (w->parent) return;
    // Windows it owns stay above it.
    std::vector<Window*> owned;
    for (Window* o : list)
        if (o->owner == w) owned.push_back(o);
    for (Window* o : owned) raiseWindow(o);
}

// ---- the API -------------------------------------------------------------------

BOOL RegisterClassW(const WNDCLASSW* wc)
{
    if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
        SetLastError(87);  // ERROR_INVALID_PARAMETER
        return FALSE;
    }
    if (findClass(wc->lpszClassName)) {
        SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
        return FALSE;
    }
    S().classes.push_back(
        WindowClass{wc->lpszClassName, wc->style, wc->lpfnWndProc, wc->hbrBackground, wc->hCursor, wc->hInstance});
    return TRUE;
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param)
{
    const WindowClass* cls = findClass(className);
    if (!cls) {
        SetLastError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    const bool child = (style & WS_CHILD) != 0;
    if (parent && !validWindow(parent)) parent = nullptr;
    if (child && !parent) {
        SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
        return nullptr;
    }
    // Default placement: a top-level window takes the screen below the title
    // bar, a child window the origin of its parent with no size.
    if (x == CW_USEDEFAULT) {
        x = 0;
        y = child ? 0 : kTitleBarHeight;
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : screenWidth() - x;
        height = child ? 0 : screenHeight() - y;
    }
    if (height == CW_USEDEFAULT) height = child ? 0 : screenHeight() - y;

    WindowState& s = S();
    auto* w = new Window;
    w->cls = cls;
    w->proc = cls->proc;
    w->style = style;
    w->exStyle = exStyle;
    w->parent = child ? parent : nullptr;
    w->owner = child ? nullptr : parent;
    w->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    if (windowName) w->text = windowName;
    w->id = menu;
    s.all.insert(w);
    siblingsOf(w).push_back(w);
    if (!child && !s.main) s.main = w;

    CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, LONG(style), windowName, className, exStyle};
    if (SendMessageW(w, WM_CREATE, 0, LPARAM(&cs)) == -1) {
        DestroyWindow(w);
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE, the window is gone
        return nullptr;
    }
    if (!validWindow(w)) return nullptr;  // destroyed during its creation
    if (!child) publishTopLevelWindows();
    if (style & WS_VISIBLE) {
        w->visible = true;
        windowLayoutChanged();
        invalidateTree(w);
        if (!child) foregroundChanged();
    }
    return w;
}

static void destroyTree(Window* w)
{
    w->destroying = true;
    WindowState& s = S();
    // Windows it owns go first, then the window itself is told, then its
    // children from the top down.
    std::vector<Window*> owned;
    for (Window* o : s.topLevel)
        if (o->owner == w && !o->destroying) owned.push_back(o);
    for (Window* o : owned)
        if (validWindow(o)) DestroyWindow(o);
    SendMessageW(w, WM_DESTROY, 0, 0);
    std::vector<Window*> kids = w->children;
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (validWindow(*it) && !(*it)->destroying) destroyTree(*it);
    detach(w);
    s.all.erase(w);
    if (s.focus == w) s.focus = nullptr;
    if (s.active == w) s.active = nullptr;
    if (s.main == w) s.main = nullptr;
    for (Window* o : s.topLevel)
        if (o->owner == w) o->owner = nullptr;
    forgetWindowMessages(w);
    delete w;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!validWindow(hwnd) || hwnd->destroying) return FALSE;
    const RECT shown = visibleBounds(hwnd);
    const bool topLevel = hwnd->parent == nullptr;
    destroyTree(hwnd);
    windowLayoutChanged();
    if (topLevel) publishTopLevelWindows();
    if (!emptyRect(shown)) exposeScreenRect(shown, nullptr);
    if (topLevel) foregroundChanged();
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return validWindow(hwnd) ? TRUE : FALSE; }

BOOL ShowWindow(HWND hwnd, int cmdShow)
{
    if (!validWindow(hwnd)) return FALSE;
    const BOOL wasVisible = hwnd->visible ? TRUE : FALSE;
    if (cmdShow == SW_HIDE) {
        if (!hwnd->visible) return wasVisible;
        const RECT shown = visibleBounds(hwnd);
        hwnd->visible = false;
        windowLayoutChanged();
        if (S().focus && isDescendant(S().focus, hwnd)) S().focus = nullptr;
        exposeScreenRect(shown, hwnd);
    } else {
        if (hwnd->visible) return wasVisible;
        hwnd->visible = true;
        windowLayoutChanged();
        invalidateTree(hwnd);
    }
    if (!hwnd->parent) foregroundChanged();
    return wasVisible;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    if (!validWindow(hwnd) || !rect) return FALSE;
    *rect = screenRectOf(hwnd);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    if (!validWindow(hwnd) || !rect) return FALSE;
    *rect = RECT{0, 0, hwnd->rect.right - hwnd->rect.left, hwnd->rect.bottom - hwnd->rect.top};
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    if (!validWindow(hwnd)) return FALSE;
    const RECT before = visibleBounds(hwnd);
    hwnd->rect = RECT{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    windowLayoutChanged();
    if (hwnd->invalid) {
        const RECT client{0, 0, std::max(width, 0), std::max(height, 0)};
        hwnd->update = intersectRect(hwnd->update, client);
        if (emptyRect(hwnd->update)) hwnd->invalid = hwnd->erase = false;
    }
    if (!emptyRect(before)) exposeScreenRect(before, hwnd);
    if (repaint && hwnd->visible) invalidateTree(hwnd);
    return TRUE;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text)
{
    if (!validWindow(hwnd)) return FALSE;
    return SendMessageW(hwnd, WM_SETTEXT, 0, LPARAM(text ? text : L"")) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount)
{
    if (!validWindow(hwnd) || !buffer || maxCount <= 0) return 0;
    const int n = std::min<int>(int(hwnd->text.size()), maxCount - 1);
    std::wmemcpy(buffer, hwnd->text.data(), size_t(n));
    buffer[n] = 0;
    return n;
}

int GetWindowTextLengthW(HWND hwnd) { return validWindow(hwnd) ? int(hwnd->text.size()) : 0; }

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    for (Window* w : S().topLevel) {
        if (className && !sameName(w->cls->name, className)) continue;
        if (windowName && w->text != windowName) continue;
        return w;
    }
    // Another copy of the program may have one.
    return findWindowInOtherCopy(className, windowName);
}

BOOL SetForegroundWindow(HWND hwnd)
{
    if (isOtherCopyWindow(hwnd)) return bringOtherCopyToFront();
    // The low bit asks for the window's owned windows as well; they always
    // come along here.
    hwnd = reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(hwnd) & ~uintptr_t(1));
    if (!validWindow(hwnd)) return FALSE;
    Window* top = hwnd;
    while (top->parent) top = top->parent;
    if (S().topLevel.empty() || S().topLevel.back() != top) {
        raiseWindow(top);
        if (top->visible) invalidateTree(top);
    }
    foregroundChanged();
    return TRUE;
}

HWND SetFocus(HWND hwnd)
{
    WindowState& s = S();
    if (hwnd && !validWindow(hwnd)) return nullptr;
    Window* before = s.focus;
    if (before == hwnd) return before;
    s.focus = hwnd;
    if (before) SendMessageW(before, WM_KILLFOCUS, WPARAM(hwnd), 0);
    if (hwnd && validWindow(hwnd) && s.focus == hwnd) SendMessageW(hwnd, WM_SETFOCUS, WPARAM(before), 0);
    return before;
}

HWND GetFocus() { return S().focus; }

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!validWindow(hwnd)) return 0;
    switch (msg) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        // Nothing to draw, but the window must stop asking.
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND: {
        HDC dc = HDC(wParam);
        HBRUSH brush = hwnd->cls->background;
        if (!readyDC(dc) || !liveGdi(brush)) return 0;
        if (!brush->hollow) fillScreenRect(dc, dc->clip, brush->pixel);
        return 1;
    }
    case WM_SETTEXT:
        hwnd->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
        if (!hwnd->parent) publishTopLevelWindows();
        if (hwnd == foregroundWindow()) repaintTitleBar();
        return TRUE;
    default:
        return 0;
    }
}
