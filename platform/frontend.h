// The contract between the platform and the front-ends that show it (the
// headless runner, the desktop window, the browser).
//
// The platform owns one framebuffer: the whole device screen, width x height
// pixels of 0x00RRGGBB, row by row.  All drawing goes into it; a front-end only
// shows it.  Input reaches the platform through the feed functions below and
// is turned into window messages by GetMessageW, after the messages already
// posted.  When the program has nothing left to do, GetMessageW asks the
// front-end to wait for more input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win.h"

enum class CursorShape { Arrow, Hand, Wait, Hidden };

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // The program is idle: every queued message has been handled and every
    // paint done.  Block until there is new input (fed with the functions
    // below, or a message posted); returning without any is allowed, the
    // platform then asks again.
    virtual void waitForInput() = 0;
    // Show the framebuffer now (called before waiting and before sleeping).
    virtual void present() {}
    // Let `milliseconds` pass: a virtual clock or a real wait.
    virtual void sleep(DWORD milliseconds) = 0;
    // Milliseconds since some fixed moment, on the same clock as sleep().
    virtual DWORD tickCount() = 0;
    virtual void cursorChanged(CursorShape shape) {}
    // Starts playing a RIFF/WAVE image asynchronously, replacing any sound
    // still playing; false when it cannot be played.  The bytes stay valid for
    // the life of the process.
    virtual bool playSound(const void* wave, size_t bytes) { return false; }
    virtual void stopSound() {}
    virtual void beep() {}
    // One observable event, UTF-8, without the line end.
    virtual void transcript(std::string_view line) {}
};

// Sets up the screen (framebuffer cleared, title bar and menu bar area drawn)
// and attaches the front-end, which may be null: then an idle GetMessageW ends
// the message loop as if the program had been told to quit.  Call once before
// the game context is constructed; calling again starts afresh (all windows
// are forgotten), which tests use.
void platformStart(int width, int height, FrontEnd* frontEnd);
FrontEnd* platformFrontEnd();

int screenWidth();
int screenHeight();
// width * height pixels, 0x00RRGGBB, row after row.
const uint32_t* screenPixels();

// Height of the title bar at the top and of the menu bar area at the bottom.
constexpr int kTitleBarHeight = 26;
constexpr int kMenuBarHeight = 26;

// Input at screen coordinates.  Each becomes one message to the window under
// the pen (client coordinates in lParam), produced when the program asks for
// its next message.
void feedPenDown(int x, int y);
void feedPenUp(int x, int y);
void feedPenMove(int x, int y);
void feedRightButtonUp(int x, int y);
// A key press to the focus window (or the main window when nothing has the
// focus): WM_KEYDOWN, or WM_SYSKEYDOWN with Alt held.
void feedKey(UINT virtualKey, bool alt);
// A typed character, WM_CHAR to the focus window (or the main window).
void feedChar(WCHAR ch);
bool inputPending();

// The first top-level window created and not yet destroyed.
HWND platformMainWindow();
// The window that commands go to: the topmost visible top-level window that
// can be activated (an open dialog), else the main window.
HWND platformActiveWindow();
// The client area's top-left corner of a window in screen coordinates.
POINT clientOrigin(HWND hwnd);

// Called with every message DispatchMessageW hands to a window, just before
// the window procedure sees it: lets the program's host follow what the user
// does without the program knowing about it.  nullptr removes it.
using DispatchObserver = void (*)(const MSG& msg);
void setDispatchObserver(DispatchObserver observer);

// Writes one transcript line through the front-end (no-op without one).
void transcriptLine(std::string_view line);
// UTF-8 form of a wide string (length -1: NUL-terminated).
std::string toUtf8(const WCHAR* text, int length = -1);

// The language the front-end was told to use: "en", "zh" or "" (undecided,
// the system locale decides).  GetSystemDefaultLangID answers from it.
void setLanguageOption(std::string_view code);
std::string_view languageOption();
