// Inside the platform: the records behind the handles and the helpers shared by
// the platform's own files (window manager, messages, painting, GDI, text).
// Platform windows written later (menu bar, pop-up menus, dialogs, controls)
// build on these too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/frontend.h"
#include "platform/win.h"

// ---- GDI objects -----------------------------------------------------------
enum class GdiKind : uint8_t { Brush, Pen, Font };

struct GdiObject {
    uint32_t magic;  // kLiveGdi while it may be used
    GdiKind kind;
    bool stock;
    bool hollow;      // NULL_BRUSH / NULL_PEN: draws nothing
    COLORREF colour;  // as given, 0x00BBGGRR
    uint32_t pixel;   // framebuffer form, 0x00RRGGBB
};

constexpr uint32_t kLiveGdi = 0x47444921;
// A handle the program may use: created and not deleted, or a stock object.
inline bool liveGdi(const GdiObject* o) { return o && o->magic == kLiveGdi; }

constexpr uint32_t pixelOf(COLORREF c)
{
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}
constexpr COLORREF colourOfPixel(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// ---- windows -----------------------------------------------------------------
// Extended style for platform windows that never become the active window
// (a menu bar): they are skipped when the title and the target of commands
// are chosen.  Same value as the desktop system's WS_EX_NOACTIVATE.
constexpr DWORD kExNoActivate = 0x08000000L;

struct WindowClass {
    std::wstring name;
    UINT style;
    WNDPROC proc;
    HBRUSH background;
    HCURSOR cursor;
    HINSTANCE instance;
};

struct Window {
    const WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    // Child windows (WS_CHILD) have a parent and live in its client area; a
    // top-level window may have an owner and then stays above it.
    Window* parent = nullptr;
    Window* owner = nullptr;
    std::vector<Window*> children;  // bottom to top
    RECT rect{};                    // in the parent's client coordinates, or the screen's
    std::wstring text;
    HMENU id = nullptr;
    bool visible = false;
    bool enabled = true;
    bool destroying = false;
    // The invalid region, kept as one bounding rectangle in client coordinates.
    bool invalid = false;
    bool erase = false;
    RECT update{};
    // Free for the window's own code (platform controls keep their state here).
    void* extra = nullptr;
    intptr_t userData = 0;
};

bool validWindow(HWND hwnd);
std::vector<Window*>& topLevelWindows();  // bottom to top
// Window rectangle in screen coordinates (client == window: no frames).
RECT screenRectOf(const Window* w);
// True when the window and all its ancestors are visible.
bool reallyVisible(const Window* w);
// Topmost enabled-or-not visible window under a screen point (children first).
Window* windowAtPoint(int x, int y);
// The area of the screen that shows (part of) the window, bounded by its
// ancestors' client areas and the screen; empty when not visible.
RECT visibleBounds(const Window* w);
// Rectangles (screen coordinates) of windows that lie above `w` and overlap
// it: its visible children, the visible siblings above it and above each of
// its ancestors.
void collectOccluders(const Window* w, std::vector<RECT>& out);
// Marks every visible window's part of the screen rectangle invalid (erase
// included) except `skip` and its descendants, and redraws the desktop there.
void exposeScreenRect(const RECT& r, const Window* skip);
// Redraws the title bar and the uncovered desktop inside `r` (screen).
void repaintDesktop(const RECT& r);
void repaintTitleBar();
// The window whose caption the title bar shows, or null.
Window* foregroundWindow();
// Raises a top-level window (and the windows it owns) to the top.
void raiseWindow(Window* w);

// ---- device contexts ---------------------------------------------------------
struct DeviceContext {
    uint32_t magic = 0;            // kLiveDC while handed out
    Window* window = nullptr;      // null for the screen itself
    bool paint = false;            // taken by BeginPaint
    bool limited = false;          // `limit` narrows the clip further
    RECT limit{};                  // screen coordinates
    uint64_t layout = 0;           // the window layout the clip was worked out for
    int originX = 0, originY = 0;  // client (0,0) in screen coordinates
    RECT clip{};                   // screen coordinates
    uint32_t* pixels = nullptr;    // the framebuffer and its row length
    int stride = 0;
    std::vector<RECT> occluders;  // screen coordinates, never drawn on
    GdiObject* pen = nullptr;
    GdiObject* brush = nullptr;
    GdiObject* font = nullptr;
    COLORREF textColour = 0;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
};

constexpr uint32_t kLiveDC = 0x44432121;

// A device context for the window's client area clipped to `clipScreen`
// (screen coordinates) as well; null window gives the whole screen.
DeviceContext* acquireDC(Window* w, const RECT* clipScreen);
void releaseDC(DeviceContext* dc);
inline bool validDC(HDC dc) { return dc && dc->magic == kLiveDC; }
// Counts changes of the window layout (see readyDC).
extern uint64_t layoutCount;
inline uint64_t windowLayout() { return layoutCount; }
void windowLayoutChanged();
// Works the clip out again for the present layout (readyDC's slow path).
void refreshDC(DeviceContext* dc);
// validDC, and the clip brought up to date when windows have been created,
// moved, shown, hidden, raised or destroyed since it was worked out.  Every
// drawing call starts with it.
inline bool readyDC(HDC dc)
{
    if (!validDC(dc)) return false;
    if (dc->layout != layoutCount) refreshDC(dc);
    return true;
}

// Span and pixel writes in screen coordinates, clipped to the context.
inline void fillRow(uint32_t* p, int n, uint32_t pixel)
{
    // Blocks of eight (or four), which the compiler turns into vector stores;
    // the last block overlaps the one before it rather than finishing pixel
    // by pixel.
    if (n >= 8) {
        uint32_t* const last = p + n - 8;
        for (int i = 0; i < 8; ++i) p[i] = pixel;
        for (p += 8; p < last; p += 8)
            for (int i = 0; i < 8; ++i) p[i] = pixel;
        for (int i = 0; i < 8; ++i) last[i] = pixel;
    } else if (n >= 4) {
        uint32_t* const last = p + n - 4;
        for (int i = 0; i < 4; ++i) p[i] = pixel;
        for (int i = 0; i < 4; ++i) last[i] = pixel;
    } else if (n > 0) {
        p[0] = pixel;
        p[n >> 1] = pixel;
        p[n - 1] = pixel;
    }
}
// The part of [x0, x1) on row y that no occluder from `index` on covers.
void spanOutside(DeviceContext* dc, int y, int x0, int x1, uint32_t pixel, size_t index);
inline void fillSpan(DeviceContext* dc, int y, int x0, int x1, uint32_t pixel)
{
    const RECT& c = dc->clip;
    if (y < c.top || y >= c.bottom) return;
    if (x0 < c.left) x0 = c.left;
    if (x1 > c.right) x1 = c.right;
    if (x0 >= x1) return;
    if (dc->occluders.empty())
        fillRow(dc->pixels + size_t(y) * size_t(dc->stride) + x0, x1 - x0, pixel);
    else
        spanOutside(dc, y, x0, x1, pixel, 0);
}
inline void putPixel(DeviceContext* dc, int x, int y, uint32_t pixel) { fillSpan(dc, y, x, x + 1, pixel); }
// Fills a rectangle given in screen coordinates.
void fillScreenRect(DeviceContext* dc, RECT r, uint32_t pixel);

// Text drawing without a transcript line (platform windows use this; the
// program's DrawTextW adds the `status` line).  Same arguments as DrawTextW.
int drawTextRaw(DeviceContext* dc, const WCHAR* text, int length, const RECT* rect, UINT format);
// Width in pixels of the text in the one font (8 or 16 per character).
int textWidth(const WCHAR* text, int length);
constexpr int kFontHeight = 16;
// True when the font has a glyph for the character (others draw as boxes).
bool fontHasGlyph(uint32_t code);

// ---- miscellany -------------------------------------------------------------
uint32_t* framebuffer();
GdiObject* stockObject(int index);
// Stops the paint and message machinery from using the windows (platformStart).
void resetWindowManager();
void resetMessageQueue();
// A window is going away: drop its queued messages.
void forgetWindowMessages(Window* w);
void cursorReset();

inline RECT intersectRect(const RECT& a, const RECT& b)
{
    RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
           a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.left >= r.right || r.top >= r.bottom) r = RECT{0, 0, 0, 0};
    return r;
}
inline bool emptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT unionRect(const RECT& a, const RECT& b)
{
    if (emptyRect(a)) return b;
    if (emptyRect(b)) return a;
    return RECT{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top, a.right > b.right ? a.right : b.right,
                a.bottom > b.bottom ? a.bottom : b.bottom};
}
inline RECT offsetRect(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
