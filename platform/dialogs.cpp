// Modal dialogs and message boxes.  A dialog is a top-level window owned by
// its owner's top-level window, with child controls placed from the template;
// while it is open every other top-level window is disabled and the dialog
// runs its own message loop.  Keys: Tab moves the focus, Enter presses the
// first button, Escape closes the dialog (WM_CLOSE).

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/internal.h"
#include "platform/resource_table.h"

namespace {

const WCHAR kDialogClass[] = L"#32770";
const WCHAR kStaticClass[] = L"STATIC";
const WCHAR kEditClass[] = L"EDIT";
const WCHAR kButtonClass[] = L"BUTTON";

constexpr int kEditLimit = 1000;  // characters an edit box takes
constexpr int kMessageMargin = 8;
constexpr int kMessageButtonWidth = 60;
constexpr int kMessageButtonHeight = 28;

struct Dialog {
    DLGPROC proc = nullptr;
    bool ended = false;
    intptr_t result = 0;
    Dialog* outer = nullptr;  // the dialog open below this one
};

struct Button {
    bool pressed = false;
};

Dialog* g_innermost = nullptr;
std::vector<HWND> g_dialogWindows;  // open dialogs, innermost last

bool hasClass(const Window* w, const WCHAR* name) { return w && w->cls && w->cls->name == name; }

Dialog* dialogOf(HWND hwnd)
{
    return validWindow(hwnd) && hasClass(hwnd, kDialogClass) ? static_cast<Dialog*>(hwnd->extra) : nullptr;
}

void fillClient(DeviceContext* dc, RECT r, uint32_t pixel)
{
    fillScreenRect(dc, offsetRect(r, dc->originX, dc->originY), pixel);
}

void frameClient(DeviceContext* dc, RECT r, uint32_t pixel)
{
    fillClient(dc, RECT{r.left, r.top, r.right, r.top + 1}, pixel);
    fillClient(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, pixel);
    fillClient(dc, RECT{r.left, r.top, r.left + 1, r.bottom}, pixel);
    fillClient(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, pixel);
}

RECT clientOf(HWND hwnd)
{
    RECT c;
    GetClientRect(hwnd, &c);
    return c;
}

int controlId(HWND hwnd) { return int(reinterpret_cast<intptr_t>(hwnd->id)); }

bool focusable(const Window* w)
{
    return w->visible && w->enabled && (hasClass(w, kEditClass) || hasClass(w, kButtonClass));
}

// ---- controls -------------------------------------------------------------------

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        DeviceContext* dc = BeginPaint(hwnd, &ps);
        if (dc) {
            RECT c = clientOf(hwnd);
            fillClient(dc, c, kDialogBackground);
            dc->bkMode = TRANSPARENT;
            dc->textColour = colourOfPixel(kControlInk);
            drawTextRaw(dc, hwnd->text.c_str(), int(hwnd->text.size()), &c, DT_LEFT | DT_TOP);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        DeviceContext* dc = BeginPaint(hwnd, &ps);
        if (dc) {
            RECT c = clientOf(hwnd);
            fillClient(dc, c, kDialogBackground);
            frameClient(dc, c, kControlInk);
            // The end of the text stays in view, the caret just after it.
            RECT inner{c.left + 3, c.top + 1, c.right - 3, c.bottom - 1};
            const int width = textWidth(hwnd->text.c_str(), int(hwnd->text.size()));
            const int room = inner.right - inner.left - 2;
            RECT text = inner;
            if (width > room) text.left = inner.right - 2 - width;
            const int top = c.top + (c.bottom - c.top - kFontHeight) / 2;
            text.top = top;
            text.bottom = top + kFontHeight;
            // Keep the glyphs inside the frame.
            DeviceContext* inside = dc;
            const RECT saved = inside->clip;
            inside->clip = intersectRect(inside->clip, offsetRect(inner, dc->originX, dc->originY));
            dc->bkMode = TRANSPARENT;
            dc->textColour = colourOfPixel(kControlInk);
            drawTextRaw(dc, hwnd->text.c_str(), int(hwnd->text.size()), &text, DT_LEFT | DT_TOP | DT_SINGLELINE);
            if (GetFocus() == hwnd) {
                const int x = text.left + width;
                fillClient(dc, RECT{x, top, x + 1, top + kFontHeight}, kControlInk);
            }
            inside->clip = saved;
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CHAR: {
        const WCHAR ch = WCHAR(wParam);
        if (ch == VK_BACK) {
            if (!hwnd->text.empty()) hwnd->text.pop_back();
        } else if (ch >= 0x20 && ch != 0x7F && int(hwnd->text.size()) < kEditLimit) {
            hwnd->text += ch;
        } else {
            return 0;
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetFocus(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        if (int(hwnd->text.size()) > kEditLimit) hwnd->text.resize(size_t(kEditLimit));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void clickButton(HWND button)
{
    HWND parent = button->parent;
    if (parent) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(controlId(button), 0), LPARAM(button));  // BN_CLICKED
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* state = static_cast<Button*>(hwnd->extra);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        DeviceContext* dc = BeginPaint(hwnd, &ps);
        if (dc) {
            RECT c = clientOf(hwnd);
            const bool down = state && state->pressed;
            fillClient(dc, c, down ? kControlInk : kButtonFace);
            frameClient(dc, c, kControlInk);
            if (GetFocus() == hwnd && !down)
                frameClient(dc, RECT{c.left + 2, c.top + 2, c.right - 2, c.bottom - 2}, 0x808080);
            dc->bkMode = TRANSPARENT;
            dc->textColour = colourOfPixel(down ? kButtonFace : kControlInk);
            drawTextRaw(dc, hwnd->text.c_str(), int(hwnd->text.size()), &c, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (state) state->pressed = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        if (state) state->pressed = false;
        InvalidateRect(hwnd, nullptr, FALSE);
        clickButton(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_SETTEXT:
        DefWindowProcW(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    case WM_DESTROY:
        delete state;
        hwnd->extra = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// ---- the dialog window -------------------------------------------------------------

LRESULT CALLBACK dialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Dialog* d = dialogOf(hwnd);
    if (d && d->proc && msg != WM_PAINT && msg != WM_ERASEBKGND && msg != WM_DESTROY) {
        if (d->proc(hwnd, msg, wParam, lParam)) return TRUE;
    }
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        DeviceContext* dc = BeginPaint(hwnd, &ps);
        if (dc) {
            RECT c = clientOf(hwnd);
            fillClient(dc, c, kDialogBackground);
            frameClient(dc, c, kDialogFrame);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        // Left to the dialog's procedure: a dialog is never destroyed here.
        return 0;
    case WM_DESTROY:
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void registerClasses()
{
    const struct {
        const WCHAR* name;
        WNDPROC proc;
    } classes[] = {
        {kDialogClass, dialogProc}, {kStaticClass, staticProc}, {kEditClass, editProc}, {kButtonClass, buttonProc}};
    for (const auto& c : classes) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = c.proc;
        wc.lpszClassName = c.name;
        RegisterClassW(&wc);  // fails harmlessly when already registered
    }
}

HWND createControl(HWND dialog, const WCHAR* cls, int id, RECT r, const std::wstring& text)
{
    HWND w = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, dialog, reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    if (w && cls == kButtonClass) w->extra = new Button;
    return w;
}

std::vector<HWND> tabOrder(HWND dialog)
{
    std::vector<HWND> order;
    for (Window* c : dialog->children)
        if (focusable(c)) order.push_back(c);
    return order;
}

// Keys a dialog handles itself; true when the message was used.
bool dialogKey(HWND dialog, const MSG& msg)
{
    if (msg.message != WM_KEYDOWN) return false;
    bool inside = false;
    for (Window* w = msg.hwnd; w; w = w->parent)
        if (w == dialog) inside = true;
    if (!inside) return false;
    std::vector<HWND> order = tabOrder(dialog);
    switch (msg.wParam) {
    case VK_TAB: {
        if (order.empty()) return true;
        auto it = std::find(order.begin(), order.end(), GetFocus());
        SetFocus(it == order.end() || it + 1 == order.end() ? order.front() : *(it + 1));
        return true;
    }
    case VK_RETURN: {
        HWND focus = GetFocus();
        if (focus && hasClass(focus, kButtonClass) && focus->parent == dialog) {
            clickButton(focus);
            return true;
        }
        for (HWND w : order)
            if (hasClass(w, kButtonClass)) {
                clickButton(w);
                return true;
            }
        return true;
    }
    case VK_ESCAPE:
        SendMessageW(dialog, WM_CLOSE, 0, 0);
        return true;
    default:
        return false;
    }
}

// Creates the dialog window with its controls (hidden); null on failure.
struct ControlSpec {
    const WCHAR* cls;
    int id;
    RECT rect;
    std::wstring text;
};

HWND createDialog(HWND owner, const std::wstring& caption, int width, int height,
                  const std::vector<ControlSpec>& controls, DLGPROC proc)
{
    registerClasses();
    Window* top = validWindow(owner) ? owner : nullptr;
    while (top && top->parent) top = top->parent;
    // Centred on the screen between the title bar and the menu bar.
    const int areaTop = kTitleBarHeight, areaBottom = std::max(areaTop + height, screenHeight() - kMenuBarHeight);
    const int x = std::max(0, (screenWidth() - width) / 2);
    const int y = std::max(areaTop, areaTop + (areaBottom - areaTop - height) / 2);
    HWND dialog =
        CreateWindowExW(0, kDialogClass, caption.c_str(), 0, x, y, width, height, top, nullptr, nullptr, nullptr);
    if (!dialog) return nullptr;
    auto* d = new Dialog;
    d->proc = proc;
    dialog->extra = d;
    for (const ControlSpec& c : controls) {
        if (!createControl(dialog, c.cls, c.id, c.rect, c.text)) {
            dialog->extra = nullptr;
            delete d;
            DestroyWindow(dialog);
            return nullptr;
        }
    }
    return dialog;
}

// Shows the dialog and runs its loop; returns its result.  The dialog is
// destroyed on the way out.
intptr_t runDialog(HWND dialog, LPARAM initParam, bool initialise)
{
    Dialog* d = dialogOf(dialog);
    // Everything else waits while the dialog is open.
    std::vector<Window*> disabled;
    for (Window* w : topLevelWindows())
        if (w != dialog && w->enabled) {
            w->enabled = false;
            disabled.push_back(w);
        }
    d->outer = g_innermost;
    g_innermost = d;
    g_dialogWindows.push_back(dialog);

    std::vector<HWND> order = tabOrder(dialog);
    HWND first = order.empty() ? nullptr : order.front();
    HWND focusBefore = GetFocus();
    if (initialise) {
        if (d->proc && d->proc(dialog, WM_INITDIALOG, WPARAM(first), initParam) && first) SetFocus(first);
    } else if (first) {
        SetFocus(first);
    }
    if (!d->ended) ShowWindow(dialog, SW_SHOW);

    MSG msg;
    while (!d->ended) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (!got) {
            // The program is quitting: the dialog ends, the quit goes on.
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!validWindow(dialog)) break;
        if (dialogKey(dialog, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const intptr_t result = d->ended ? d->result : 0;

    g_innermost = d->outer;
    g_dialogWindows.erase(std::remove(g_dialogWindows.begin(), g_dialogWindows.end(), dialog), g_dialogWindows.end());
    for (Window* w : disabled)
        if (validWindow(w)) w->enabled = true;
    if (validWindow(dialog)) {
        dialog->extra = nullptr;
        DestroyWindow(dialog);
    }
    delete d;
    if (validWindow(focusBefore)) SetFocus(focusBefore);
    return result;
}

// Message box text broken into lines that fit `width` pixels, at spaces where
// possible.
std::wstring wrapText(const std::wstring& text, int width)
{
    std::wstring out, line;
    auto flush = [&](bool newline) {
        out += line;
        if (newline) out += L'\n';
        line.clear();
    };
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size()) {
            flush(false);
            break;
        }
        const WCHAR c = text[i];
        if (c == L'\n') {
            flush(true);
            continue;
        }
        if (c == L'\r') continue;
        line += c;
        if (textWidth(line.c_str(), int(line.size())) > width && line.size() > 1) {
            const size_t space = line.find_last_of(L' ', line.size() - 2);
            std::wstring rest;
            if (space != std::wstring::npos && space > 0) {
                rest = line.substr(space + 1);
                line.resize(space);
            } else {
                rest = line.substr(line.size() - 1);
                line.pop_back();
            }
            flush(true);
            line = rest;
        }
    }
    return out;
}

BOOL CALLBACK messageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(hwnd, IDOK);
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        EndDialog(hwnd, IDOK);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

HWND openDialog() { return g_dialogWindows.empty() ? nullptr : g_dialogWindows.back(); }

HWND openDialogEditBox(RECT* screenRect)
{
    HWND dialog = openDialog();
    if (!dialog) return nullptr;
    for (Window* c : dialog->children) {
        if (c->cls && c->cls->name == L"EDIT" && reallyVisible(c)) {
            if (screenRect) *screenRect = screenRectOf(c);
            return c;
        }
    }
    return nullptr;
}

intptr_t DialogBoxIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                 LPARAM initParam)
{
    auto* t = static_cast<const DialogTemplate*>(dialogTemplate);
    if (!t || t->itemCount < 0 || (t->itemCount > 0 && !t->items)) {
        SetLastError(1812);  // ERROR_RESOURCE_DATA_NOT_FOUND
        return -1;
    }
    std::vector<ControlSpec> controls;
    for (int i = 0; i < t->itemCount; ++i) {
        const DialogItemTemplate& it = t->items[i];
        const WCHAR* cls = it.kind == kDialogEdit ? kEditClass : it.kind == kDialogButton ? kButtonClass : kStaticClass;
        const int x = dialogUnitsToPixelsX(it.x), y = dialogUnitsToPixelsY(it.y);
        controls.push_back(ControlSpec{cls, it.id,
                                       RECT{x, y, x + dialogUnitsToPixelsX(it.cx), y + dialogUnitsToPixelsY(it.cy)},
                                       resWideFromUtf8(it.text)});
    }
    HWND dialog = createDialog(owner, resWideFromUtf8(t->caption), dialogUnitsToPixelsX(t->cx),
                               dialogUnitsToPixelsY(t->cy), controls, proc);
    if (!dialog) {
        SetLastError(1400);  // ERROR_INVALID_WINDOW_HANDLE
        return -1;
    }
    transcriptLine("dialog " + std::to_string(resourceIdOfData(RT_DIALOG, dialogTemplate)));
    return runDialog(dialog, initParam, true);
}

BOOL EndDialog(HWND dialog, intptr_t result)
{
    Dialog* d = dialogOf(dialog);
    if (!d) return FALSE;
    d->ended = true;
    d->result = result;
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id)
{
    if (!validWindow(dialog)) return nullptr;
    for (Window* c : dialog->children)
        if (controlId(c) == id) return c;
    return nullptr;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int maxCount)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        if (buffer && maxCount > 0) buffer[0] = 0;
        return 0;
    }
    return UINT(GetWindowTextW(item, buffer, maxCount));
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextW(item, text) : FALSE;
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::wstring body = text ? text : L"";
    std::string line = toUtf8(body.c_str());
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    transcriptLine("message " + line);

    const int width = std::max(120, screenWidth() - 2 * kMessageMargin);
    const int textWidthMax = width - 2 * kMessageMargin;
    const std::wstring wrapped = wrapText(body, textWidthMax);
    const int lines = 1 + int(std::count(wrapped.begin(), wrapped.end(), L'\n'));
    const int textHeight = lines * kFontHeight;
    const int height = kMessageMargin + textHeight + kMessageMargin + kMessageButtonHeight + kMessageMargin;
    std::vector<ControlSpec> controls = {
        {kStaticClass, 0xFFFF,
         RECT{kMessageMargin, kMessageMargin, width - kMessageMargin, kMessageMargin + textHeight}, wrapped},
        {kButtonClass, IDOK,
         RECT{(width - kMessageButtonWidth) / 2, height - kMessageMargin - kMessageButtonHeight,
              (width + kMessageButtonWidth) / 2, height - kMessageMargin},
         L"OK"},
    };
    HWND dialog = createDialog(owner, caption ? caption : L"Error", width, height, controls, messageBoxProc);
    if (!dialog) return 0;
    return int(runDialog(dialog, 0, false));
}
