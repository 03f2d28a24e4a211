// The message queue: posted messages, input from the front-end, the quit
// request and paints, in that order of precedence.
#include <deque>

#include "platform/internal.h"

namespace {

enum class InputKind { PenDown, PenUp, PenMove, RightUp, Key, Char };

struct InputEvent {
    InputKind kind;
    int x, y;  // screen coordinates, or the key / character
    bool alt;
};

struct QueueState {
    std::deque<MSG> posted;
    std::deque<InputEvent> input;
    bool quit = false;
    int quitCode = 0;
};

QueueState& Q()
{
    static auto* q = new QueueState;
    return *q;
}

DWORD messageTime()
{
    FrontEnd* fe = platformFrontEnd();
    return fe ? fe->tickCount() : 0;
}

bool matches(const MSG& m, HWND filter, UINT lo, UINT hi)
{
    if (filter) {
        const Window* w = m.hwnd;
        while (w && w != filter) w = validWindow(const_cast<Window*>(w)) ? w->parent : nullptr;
        if (!w) return false;
    }
    return (lo == 0 && hi == 0) || (m.message >= lo && m.message <= hi);
}

// The window receiving keys and characters.
Window* keyTarget()
{
    Window* w = GetFocus();
    return w ? w : platformMainWindow();
}

// Turns the next input event into a message; false when it has no target.
bool inputMessage(const InputEvent& e, MSG* msg)
{
    *msg = MSG{};
    msg->time = messageTime();
    if (e.kind == InputKind::Key || e.kind == InputKind::Char) {
        Window* w = keyTarget();
        if (!w) return false;
        msg->hwnd = w;
        msg->wParam = WPARAM(e.x);
        if (e.kind == InputKind::Char) {
            msg->message = WM_CHAR;
            msg->lParam = 1;
        } else if (e.alt) {
            msg->message = WM_SYSKEYDOWN;
            msg->lParam = LPARAM(1) | (LPARAM(1) << 29);  // repeat count 1, Alt held
        } else {
            msg->message = WM_KEYDOWN;
            msg->lParam = 1;
        }
        return true;
    }
    Window* w = windowAtPoint(e.x, e.y);
    // Input to a disabled window (the owner of a modal dialog) is dropped.
    for (Window* p = w; p; p = p->parent)
        if (!p->enabled) return false;
    if (!w) return false;
    const POINT origin = clientOrigin(w);
    msg->hwnd = w;
    msg->pt = POINT{e.x, e.y};
    msg->lParam = MAKELPARAM(e.x - origin.x, e.y - origin.y);
    switch (e.kind) {
    case InputKind::PenDown:
        msg->message = WM_LBUTTONDOWN;
        msg->wParam = 1;
        break;  // MK_LBUTTON
    case InputKind::PenUp:
        msg->message = WM_LBUTTONUP;
        break;
    case InputKind::PenMove:
        msg->message = WM_MOUSEMOVE;
        break;
    default:
        msg->message = WM_RBUTTONUP;
        break;
    }
    return true;
}

Window* findInvalid(Window* w)
{
    if (!w->visible) return nullptr;
    if (w->invalid) return w;
    for (Window* c : w->children)
        if (Window* f = findInvalid(c)) return f;
    return nullptr;
}

void feed(InputKind kind, int x, int y, bool alt = false) { Q().input.push_back(InputEvent{kind, x, y, alt}); }

}  // namespace

void resetMessageQueue()
{
    QueueState& q = Q();
    q.posted.clear();
    q.input.clear();
    q.quit = false;
    q.quitCode = 0;
}

void forgetWindowMessages(Window* w)
{
    auto& posted = Q().posted;
    for (auto it = posted.begin(); it != posted.end();) it = it->hwnd == w ? posted.erase(it) : it + 1;
}

void feedPenDown(int x, int y) { feed(InputKind::PenDown, x, y); }
void feedPenUp(int x, int y) { feed(InputKind::PenUp, x, y); }
void feedPenMove(int x, int y) { feed(InputKind::PenMove, x, y); }
void feedRightButtonUp(int x, int y) { feed(InputKind::RightUp, x, y); }
void feedKey(UINT virtualKey, bool alt) { feed(InputKind::Key, int(virtualKey), 0, alt); }
void feedChar(WCHAR ch) { feed(InputKind::Char, int(ch), 0); }
bool inputPending() { return !Q().input.empty(); }

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !validWindow(hwnd)) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    Q().posted.push_back(MSG{hwnd, msg, wParam, lParam, messageTime(), POINT{0, 0}});
    return TRUE;
}

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!validWindow(hwnd) || !hwnd->proc) return 0;
    return hwnd->proc(hwnd, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode)
{
    Q().quit = true;
    Q().quitCode = exitCode;
}

BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg) return -1;
    if (hwnd && !validWindow(hwnd)) return -1;
    QueueState& q = Q();
    for (;;) {
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!matches(*it, hwnd, filterMin, filterMax)) continue;
            *msg = *it;
            q.posted.erase(it);
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        if (q.quit) {
            q.quit = false;
            *msg = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, messageTime(), POINT{0, 0}};
            return FALSE;
        }
        while (!q.input.empty()) {
            const InputEvent e = q.input.front();
            q.input.pop_front();
            if (inputMessage(e, msg)) return TRUE;
        }
        // Paints come only when nothing else is waiting.
        std::vector<Window*> windows = topLevelWindows();
        for (Window* w : windows) {
            Window* invalid = findInvalid(w);
            if (invalid && (!hwnd || matches(MSG{invalid, WM_PAINT, 0, 0, 0, {}}, hwnd, filterMin, filterMax))) {
                *msg = MSG{invalid, WM_PAINT, 0, 0, messageTime(), POINT{0, 0}};
                return TRUE;
            }
        }
        FrontEnd* fe = platformFrontEnd();
        if (!fe) {
            // Nobody can give more input: the loop ends.
            PostQuitMessage(0);
            continue;
        }
        fe->present();
        fe->waitForInput();
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    // Keys that type a character produce it as WM_CHAR, handled next.
    const UINT vk = UINT(msg->wParam);
    WCHAR ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = WCHAR(vk - 'A' + 'a');
    else if (vk >= '0' && vk <= '9')
        ch = WCHAR(vk);
    else if (vk == VK_SPACE || vk == VK_BACK || vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE)
        ch = WCHAR(vk);
    else if (vk == VK_OEM_2)
        ch = L'/';
    if (!ch || msg->message == WM_SYSKEYDOWN) return FALSE;
    Q().posted.push_front(MSG{msg->hwnd, WM_CHAR, WPARAM(ch), msg->lParam, msg->time, msg->pt});
    return TRUE;
}

namespace {
DispatchObserver dispatchObserver = nullptr;
}

void setDispatchObserver(DispatchObserver observer) { dispatchObserver = observer; }

LRESULT DispatchMessageW(const MSG* msg)
{
    if (!msg || !validWindow(msg->hwnd)) return 0;
    if (dispatchObserver) dispatchObserver(*msg);
    if (msg->message >= WM_USER + 2 && msg->message <= WM_USER + 6)
        transcriptLine("notify " + std::to_string(msg->message));
    return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
