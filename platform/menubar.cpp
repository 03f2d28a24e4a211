// The menu bar and its pop-up menu.  The bar is a top-level window along the
// bottom of the screen, owned by the program's window, that never becomes the
// active window; its buttons post WM_COMMAND to the owner.  The drop-down
// button opens the pop-up menu above the bar and runs a modal loop until an
// item is chosen or the menu is dismissed (a tap elsewhere, Escape), as
// menus do on the device.

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/internal.h"
#include "platform/menubar.h"
#include "platform/resource_table.h"

struct MenuObject {
    struct Item {
        UINT command;
        std::wstring text;
        bool checked;
    };
    std::vector<Item> items;
};

namespace {

const WCHAR kMenuBarClass[] = L"menu_worker";
const WCHAR kPopupClass[] = L"#32768";

struct MenuBar {
    struct Button {
        UINT command;
        std::wstring label;
        bool dropDown;
    };
    HWND owner = nullptr;
    std::vector<Button> buttons;
    MenuObject* popup = nullptr;
    int pressed = -1;  // button shown pressed (pen down, or its menu open)
};

struct Popup {
    MenuObject* menu = nullptr;
    int highlight = -1;
};

std::set<MenuObject*>& liveMenus()
{
    static auto* menus = new std::set<MenuObject*>;
    return *menus;
}

HWND g_openPopup = nullptr;

bool hasClass(const Window* w, const WCHAR* name) { return w && w->cls && w->cls->name == name; }

MenuBar* barOf(HWND hwnd)
{
    return validWindow(hwnd) && hasClass(hwnd, kMenuBarClass) ? static_cast<MenuBar*>(hwnd->extra) : nullptr;
}
Popup* popupOf(HWND hwnd)
{
    return validWindow(hwnd) && hasClass(hwnd, kPopupClass) ? static_cast<Popup*>(hwnd->extra) : nullptr;
}

void fillClient(DeviceContext* dc, RECT r, uint32_t pixel)
{
    fillScreenRect(dc, offsetRect(r, dc->originX, dc->originY), pixel);
}

// Button rectangles in the bar's client coordinates.  The buttons share the
// width equally while every label fits; otherwise each gets its label's
// width and an equal part of what is left.
std::vector<RECT> buttonLayout(const MenuBar& bar, int width, int height)
{
    const int n = int(bar.buttons.size());
    std::vector<RECT> rects;
    if (n == 0) return rects;
    constexpr int kPadding = 4;
    std::vector<int> widths(size_t(n), width / n);
    int need = 0;
    bool fit = true;
    for (int i = 0; i < n; ++i) {
        const int w = textWidth(bar.buttons[size_t(i)].label.c_str(), -1) + kPadding;
        need += w;
        if (w > width / n) fit = false;
        widths[size_t(i)] = w;
    }
    if (fit || need > width) {
        for (int i = 0; i < n; ++i) widths[size_t(i)] = width / n + (i < width % n ? 1 : 0);
    } else {
        const int extra = width - need;
        for (int i = 0; i < n; ++i) widths[size_t(i)] += extra / n + (i < extra % n ? 1 : 0);
    }
    int x = 0;
    for (int i = 0; i < n; ++i) {
        rects.push_back(RECT{x, 0, x + widths[size_t(i)], height});
        x += widths[size_t(i)];
    }
    return rects;
}

std::vector<RECT> clientButtons(HWND hwnd)
{
    MenuBar* bar = barOf(hwnd);
    if (!bar) return {};
    RECT c;
    GetClientRect(hwnd, &c);
    return buttonLayout(*bar, c.right, c.bottom);
}

int buttonAt(HWND hwnd, int x, int y)
{
    std::vector<RECT> rects = clientButtons(hwnd);
    for (size_t i = 0; i < rects.size(); ++i)
        if (x >= rects[i].left && x < rects[i].right && y >= rects[i].top && y < rects[i].bottom) return int(i);
    return -1;
}

void paintBar(HWND hwnd)
{
    MenuBar* bar = barOf(hwnd);
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(hwnd, &ps);
    if (!dc || !bar) {
        EndPaint(hwnd, &ps);
        return;
    }
    RECT c;
    GetClientRect(hwnd, &c);
    fillClient(dc, c, kMenuBarFace);
    fillClient(dc, RECT{0, 0, c.right, 1}, kMenuBarEdge);
    std::vector<RECT> rects = buttonLayout(*bar, c.right, c.bottom);
    dc->bkMode = TRANSPARENT;
    for (size_t i = 0; i < rects.size(); ++i) {
        RECT face{rects[i].left, 1, rects[i].right, c.bottom};
        const bool pressed = int(i) == bar->pressed;
        if (pressed) fillClient(dc, face, kMenuHighlight);
        if (i + 1 < rects.size())
            fillClient(dc, RECT{rects[i].right - 1, 5, rects[i].right, c.bottom - 4}, kMenuBarEdge);
        dc->textColour = colourOfPixel(pressed ? kMenuHighlightText : kMenuText);
        drawTextRaw(dc, bar->buttons[i].label.c_str(), -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(hwnd, &ps);
}

// Pop-up geometry in its client coordinates.
RECT itemRect(int index, int width)
{
    return RECT{1, 1 + index * kMenuItemHeight, width - 1, 1 + (index + 1) * kMenuItemHeight};
}

int itemAt(HWND popup, int x, int y)
{
    Popup* p = popupOf(popup);
    if (!p) return -1;
    RECT c;
    GetClientRect(popup, &c);
    for (size_t i = 0; i < p->menu->items.size(); ++i) {
        RECT r = itemRect(int(i), c.right);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return int(i);
    }
    return -1;
}

void drawCheckMark(DeviceContext* dc, int left, int top, uint32_t pixel)
{
    // A tick two pixels thick: down from (4,9) to (7,12), then up to (13,6).
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i <= 3; ++i) putPixel(dc, dc->originX + left + 4 + i, dc->originY + top + 9 + i + t, pixel);
        for (int i = 1; i <= 6; ++i) putPixel(dc, dc->originX + left + 7 + i, dc->originY + top + 12 - i + t, pixel);
    }
}

void paintPopup(HWND hwnd)
{
    Popup* p = popupOf(hwnd);
    PAINTSTRUCT ps;
    DeviceContext* dc = BeginPaint(hwnd, &ps);
    if (!dc || !p) {
        EndPaint(hwnd, &ps);
        return;
    }
    RECT c;
    GetClientRect(hwnd, &c);
    fillClient(dc, c, kMenuFrame);
    fillClient(dc, RECT{1, 1, c.right - 1, c.bottom - 1}, kMenuBackground);
    dc->bkMode = TRANSPARENT;
    for (size_t i = 0; i < p->menu->items.size(); ++i) {
        const MenuObject::Item& item = p->menu->items[i];
        RECT r = itemRect(int(i), c.right);
        const bool lit = int(i) == p->highlight;
        if (lit) fillClient(dc, r, kMenuHighlight);
        const uint32_t ink = lit ? kMenuHighlightText : kMenuText;
        if (item.checked) drawCheckMark(dc, r.left, r.top, ink);
        dc->textColour = colourOfPixel(ink);
        RECT text{r.left + kMenuCheckWidth, r.top, r.right, r.bottom};
        drawTextRaw(dc, item.text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    EndPaint(hwnd, &ps);
}

void setHighlight(HWND popup, int index)
{
    Popup* p = popupOf(popup);
    if (!p || p->highlight == index) return;
    p->highlight = index;
    InvalidateRect(popup, nullptr, FALSE);
}

void setPressed(HWND bar, int index)
{
    MenuBar* b = barOf(bar);
    if (!b || b->pressed == index) return;
    b->pressed = index;
    InvalidateRect(bar, nullptr, FALSE);
}

LRESULT CALLBACK popupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        paintPopup(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        delete popupOf(hwnd);
        hwnd->extra = nullptr;
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

bool isPenMessage(UINT m) { return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_MOUSEMOVE || m == WM_RBUTTONUP; }

bool isKeyMessage(UINT m)
{
    return m == WM_KEYDOWN || m == WM_SYSKEYDOWN || m == WM_CHAR || m == WM_KEYUP || m == WM_SYSKEYUP || m == 0x0106;
}

// Opens the pop-up menu of button `index` and returns the chosen command, or
// 0 when the menu was dismissed.
UINT trackPopup(HWND barWindow, int index)
{
    MenuBar* bar = barOf(barWindow);
    if (!bar || !bar->popup || bar->popup->items.empty()) return 0;
    MenuObject* menu = bar->popup;
    SendMessageW(bar->owner, WM_INITMENUPOPUP, WPARAM(menu), 0);
    if (!barOf(barWindow)) return 0;

    int textMax = 0;
    for (const MenuObject::Item& item : menu->items) textMax = std::max(textMax, textWidth(item.text.c_str(), -1));
    const int width = std::min(screenWidth(), 2 + kMenuCheckWidth + textMax + kMenuTextRight);
    const int height = 2 + int(menu->items.size()) * kMenuItemHeight;
    const RECT barRect = screenRectOf(barWindow);
    const RECT button = offsetRect(clientButtons(barWindow)[size_t(index)], barRect.left, barRect.top);
    const int left = std::max(0, std::min(int(button.left), screenWidth() - width));
    const int top = std::max(0, int(barRect.top) - height);

    WNDCLASSW wc{};
    wc.lpfnWndProc = popupProc;
    wc.lpszClassName = kPopupClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    HWND popup = CreateWindowExW(kExNoActivate, kPopupClass, L"", 0, left, top, width, height, bar->owner, nullptr,
                                 nullptr, nullptr);
    if (!popup) return 0;
    popup->extra = new Popup{menu, -1};
    ShowWindow(popup, SW_SHOW);
    setPressed(barWindow, index);
    g_openPopup = popup;

    UINT chosen = 0;
    bool closing = false;  // a tap outside began: end when the pen comes up
    MSG msg, pending{};
    bool havePending = false;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (!got) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!validWindow(popup) || !barOf(barWindow)) break;
        if (isPenMessage(msg.message)) {
            const int x = short(LOWORD(msg.lParam)), y = short(HIWORD(msg.lParam));
            if (msg.hwnd == popup && !closing) {
                const int item = itemAt(popup, x, y);
                if (msg.message == WM_LBUTTONUP && item >= 0) {
                    chosen = menu->items[size_t(item)].command;
                    break;
                }
                if (msg.message != WM_RBUTTONUP) setHighlight(popup, item);
                continue;
            }
            // Elsewhere: the tap closes the menu and goes no further.
            if (msg.message == WM_LBUTTONDOWN) closing = true;
            if (msg.message == WM_RBUTTONUP || (msg.message == WM_LBUTTONUP)) break;
            continue;
        }
        if (isKeyMessage(msg.message)) {
            Popup* p = popupOf(popup);
            const int count = int(menu->items.size());
            if (msg.message == WM_KEYDOWN) {
                if (msg.wParam == VK_ESCAPE) break;
                if (msg.wParam == VK_UP) setHighlight(popup, p->highlight <= 0 ? count - 1 : p->highlight - 1);
                if (msg.wParam == VK_DOWN)
                    setHighlight(popup, p->highlight < 0 || p->highlight >= count - 1 ? 0 : p->highlight + 1);
                if (msg.wParam == VK_RETURN && p->highlight >= 0) {
                    chosen = menu->items[size_t(p->highlight)].command;
                    break;
                }
            } else if (msg.message == WM_SYSKEYDOWN) {
                break;
            }
            continue;
        }
        if (msg.message == WM_COMMAND) {
            // A command from elsewhere closes the menu first.
            pending = msg;
            havePending = true;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_openPopup = nullptr;
    if (validWindow(popup)) DestroyWindow(popup);
    setPressed(barWindow, -1);
    if (havePending) DispatchMessageW(&pending);
    return chosen;
}

LRESULT CALLBACK menuBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MenuBar* bar = barOf(hwnd);
    switch (msg) {
    case WM_PAINT:
        paintBar(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        setPressed(hwnd, buttonAt(hwnd, short(LOWORD(lParam)), short(HIWORD(lParam))));
        return 0;
    case WM_LBUTTONUP: {
        const int i = buttonAt(hwnd, short(LOWORD(lParam)), short(HIWORD(lParam)));
        setPressed(hwnd, -1);
        if (!bar || i < 0) return 0;
        const MenuBar::Button& b = bar->buttons[size_t(i)];
        HWND owner = bar->owner;
        if (b.dropDown) {
            if (UINT command = trackPopup(hwnd, i)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
        } else {
            PostMessageW(owner, WM_COMMAND, MAKEWPARAM(b.command, 0), LPARAM(hwnd));
        }
        return 0;
    }
    case SHCMBM_GETSUBMENU:
        if (bar)
            for (const MenuBar::Button& b : bar->buttons)
                if (b.command == UINT(lParam) && b.dropDown) return LRESULT(bar->popup);
        return 0;
    case TB_SETBUTTONINFO: {
        auto* info = reinterpret_cast<const TBBUTTONINFOW*>(lParam);
        if (!bar || !info) return FALSE;
        for (MenuBar::Button& b : bar->buttons) {
            if (b.command != UINT(wParam)) continue;
            if ((info->dwMask & TBIF_TEXT) && info->pszText) {
                b.label = info->pszText;
                InvalidateRect(hwnd, nullptr, FALSE);
                transcriptLine("softkey " + toUtf8(b.label.c_str()));
            }
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        if (bar) {
            liveMenus().erase(bar->popup);
            delete bar->popup;
            delete bar;
            hwnd->extra = nullptr;
        }
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

HWND activeMenuBar()
{
    const auto& list = topLevelWindows();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if ((*it)->visible && hasClass(*it, kMenuBarClass)) return *it;
    return nullptr;
}

std::vector<RECT> menuBarButtonRects(HWND menuBar)
{
    std::vector<RECT> rects = clientButtons(menuBar);
    if (rects.empty()) return rects;
    const RECT r = screenRectOf(menuBar);
    for (RECT& b : rects) b = offsetRect(b, r.left, r.top);
    return rects;
}

std::vector<std::wstring> menuBarLabels(HWND menuBar)
{
    std::vector<std::wstring> labels;
    if (MenuBar* bar = barOf(menuBar))
        for (const MenuBar::Button& b : bar->buttons) labels.push_back(b.label);
    return labels;
}

HWND openPopupMenu() { return validWindow(g_openPopup) ? g_openPopup : nullptr; }

std::vector<RECT> popupItemRects(HWND popup)
{
    std::vector<RECT> rects;
    Popup* p = popupOf(popup);
    if (!p) return rects;
    const RECT r = screenRectOf(popup);
    for (size_t i = 0; i < p->menu->items.size(); ++i)
        rects.push_back(offsetRect(itemRect(int(i), r.right - r.left), r.left, r.top));
    return rects;
}

BOOL SHCreateMenuBar(SHMENUBARINFO* info)
{
    if (!info || !validWindow(info->hwndParent)) {
        SetLastError(87);  // ERROR_INVALID_PARAMETER
        return FALSE;
    }
    info->hwndMB = nullptr;
    const MenuBarTemplate* t = findMenuBarTemplate(info->nToolBarId);
    if (!t) {
        SetLastError(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
        return FALSE;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = menuBarProc;
    wc.lpszClassName = kMenuBarClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered

    auto* bar = new MenuBar;
    bar->owner = info->hwndParent;
    for (int i = 0; i < t->buttonCount; ++i) {
        const MenuBarButtonTemplate& b = t->buttons[i];
        const WCHAR* label = findStringResource(b.labelStringId);
        bar->buttons.push_back(MenuBar::Button{b.command, label ? label : L"", b.dropDown});
    }
    bar->popup = new MenuObject;
    for (int i = 0; i < t->itemCount; ++i)
        bar->popup->items.push_back(
            MenuObject::Item{t->popup[i].command, resWideFromUtf8(t->popup[i].text), t->popup[i].checked});
    liveMenus().insert(bar->popup);

    HWND hwnd = CreateWindowExW(kExNoActivate, kMenuBarClass, L"", 0, 0, screenHeight() - kMenuBarHeight, screenWidth(),
                                kMenuBarHeight, info->hwndParent, nullptr, info->hInstRes, nullptr);
    if (!hwnd) {
        liveMenus().erase(bar->popup);
        delete bar->popup;
        delete bar;
        return FALSE;
    }
    hwnd->extra = bar;
    info->hwndMB = hwnd;
    return TRUE;
}

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags)
{
    // There is no input panel to show or hide; only the state is kept.
    if (!info) return FALSE;
    info->fActive = LOWORD(wParam) != WA_INACTIVE ? 1 : 0;
    if (info->fActive && validWindow(hwnd)) info->hwndLastFocus = hwnd;
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info)
{
    // Nothing on this screen depends on the system settings.
    return info ? TRUE : FALSE;
}

DWORD CheckMenuItem(HMENU menu, UINT id, UINT check)
{
    if (!menu || !liveMenus().count(menu)) return DWORD(-1);
    constexpr UINT kByPosition = 0x400;
    MenuObject::Item* item = nullptr;
    if (check & kByPosition) {
        if (id < menu->items.size()) item = &menu->items[id];
    } else {
        for (MenuObject::Item& i : menu->items)
            if (i.command == id) item = &i;
    }
    if (!item) return DWORD(-1);
    const DWORD before = item->checked ? MF_CHECKED : MF_UNCHECKED;
    item->checked = (check & MF_CHECKED) != 0;
    if (HWND popup = openPopupMenu())
        if (popupOf(popup)->menu == menu) InvalidateRect(popup, nullptr, FALSE);
    return before;
}
