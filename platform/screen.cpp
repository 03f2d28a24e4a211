// The device screen: the framebuffer, the title bar at the top, the desktop
// behind the windows (the menu bar area at the bottom until a menu bar covers
// it), and the front-end that shows it all.
#include <cstdlib>
#include <cstring>

#include "platform/internal.h"

namespace {

struct ScreenState {
    int width = 240;
    int height = 320;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(240 * 320, 0);
    FrontEnd* frontEnd = nullptr;
    std::string language;
    DWORD virtualClock = 0;  // used when no front-end keeps the time
};

ScreenState& S()
{
    static auto* s = new ScreenState;
    return *s;
}

constexpr uint32_t kTitleBarColour = 0x1F3A73;  // dark blue
constexpr uint32_t kTitleTextColour = 0xFFFFFF;
constexpr uint32_t kDesktopColour = 0xC0C0C0;  // light grey
constexpr int kTitleMargin = 6;

// A screen context that leaves every visible top-level window alone.
DeviceContext* desktopDC(const RECT& r)
{
    DeviceContext* dc = acquireDC(nullptr, &r);
    for (Window* w : topLevelWindows())
        if (w->visible) {
            const RECT o = intersectRect(screenRectOf(w), dc->clip);
            if (!emptyRect(o)) dc->occluders.push_back(o);
        }
    return dc;
}

}  // namespace

uint32_t* framebuffer() { return S().pixels.data(); }
int screenWidth() { return S().width; }
int screenHeight() { return S().height; }
const uint32_t* screenPixels() { return S().pixels.data(); }
FrontEnd* platformFrontEnd() { return S().frontEnd; }

void platformStart(int width, int height, FrontEnd* frontEnd)
{
    ScreenState& s = S();
    resetWindowManager();
    resetMessageQueue();
    cursorReset();
    s.width = width > 0 ? width : 240;
    s.height = height > 0 ? height : 320;
    s.pixels.assign(size_t(s.width) * size_t(s.height), 0);
    s.frontEnd = frontEnd;
    s.virtualClock = 0;
    windowLayoutChanged();  // contexts still held point at the old framebuffer
    repaintDesktop(RECT{0, 0, s.width, s.height});
}

void repaintTitleBar()
{
    const RECT bar{0, 0, screenWidth(), kTitleBarHeight};
    DeviceContext* dc = desktopDC(bar);
    fillScreenRect(dc, bar, kTitleBarColour);
    if (Window* w = foregroundWindow()) {
        dc->textColour = colourOfPixel(kTitleTextColour);
        dc->bkMode = TRANSPARENT;
        RECT text{kTitleMargin, 0, screenWidth() - kTitleMargin, kTitleBarHeight};
        drawTextRaw(dc, w->text.c_str(), int(w->text.size()), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    releaseDC(dc);
}

void repaintDesktop(const RECT& r)
{
    const RECT below{0, kTitleBarHeight, screenWidth(), screenHeight()};
    const RECT area = intersectRect(r, below);
    if (!emptyRect(area)) {
        DeviceContext* dc = desktopDC(area);
        fillScreenRect(dc, area, kDesktopColour);
        releaseDC(dc);
    }
    if (r.top < kTitleBarHeight && !emptyRect(r)) repaintTitleBar();
}

void transcriptLine(std::string_view line)
{
    if (FrontEnd* fe = S().frontEnd) fe->transcript(line);
}

std::string toUtf8(const WCHAR* text, int length)
{
    std::string out;
    if (!text) return out;
    const size_t n = length < 0 ? std::wcslen(text) : size_t(length);
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = uint32_t(text[i]);
        // Pairs of UTF-16 surrogates, where wchar_t is 16 bits wide.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && uint32_t(text[i + 1]) >= 0xDC00 &&
            uint32_t(text[i + 1]) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
            ++i;
        }
        if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) c = 0xFFFD;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void setLanguageOption(std::string_view code) { S().language = std::string(code); }
std::string_view languageOption() { return S().language; }

LANGID GetSystemDefaultLangID()
{
    constexpr LANGID kEnglishUS = MAKELANGID(0x09, 0x01);
    constexpr LANGID kChineseSimplified = MAKELANGID(0x04, 0x02);
    std::string_view lang = S().language;
    if (lang.empty()) {
        // The locale of the process's environment, as the C library reads it.
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* v = std::getenv(name);
            if (v && *v) {
                lang = v;
                break;
            }
        }
    }
    return lang.substr(0, 2) == "zh" ? kChineseSimplified : kEnglishUS;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
        return S().width;
    case SM_CYSCREEN:
        return S().height;
    default:
        return 0;
    }
}

void Sleep(DWORD milliseconds)
{
    transcriptLine("sleep " + std::to_string(milliseconds));
    if (FrontEnd* fe = S().frontEnd) {
        fe->present();
        fe->sleep(milliseconds);
    } else {
        S().virtualClock += milliseconds;
    }
}

DWORD GetTickCount()
{
    if (FrontEnd* fe = S().frontEnd) return fe->tickCount();
    return S().virtualClock;
}

static DWORD lastError = 0;
DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }
