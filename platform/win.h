// The handheld's system services, as far as the program uses them: windows and
// messages, GDI drawing on a 32-bit framebuffer, cursors, resources, the menu
// bar, dialogs, the registry, sounds and a few runtime helpers.  Names, types
// and semantics follow the handheld's API so that the game code reads as it
// would there; the implementation behind them is our own and portable.
//
// Wide strings are wchar_t strings.  Handles are opaque pointers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>

// ---- basic types -----------------------------------------------------------
typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int32_t LONG;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef wchar_t WCHAR;
typedef const wchar_t* LPCWSTR;
typedef wchar_t* LPWSTR;
typedef DWORD COLORREF;
typedef WORD LANGID;
typedef LONG LSTATUS;

#define TRUE 1
#define FALSE 0
#define CALLBACK
#define WINAPI

struct GdiObject;
struct Window;
struct DeviceContext;
struct MenuObject;
struct ResourceEntry;
struct KernelObject;
struct AcceleratorTable;
struct CursorObject;
struct RegistryKey;

typedef GdiObject* HGDIOBJ;
typedef GdiObject* HBRUSH;
typedef GdiObject* HPEN;
typedef GdiObject* HFONT;
typedef Window* HWND;
typedef DeviceContext* HDC;
typedef MenuObject* HMENU;
typedef void* HINSTANCE;
typedef void* HMODULE;
typedef void* HICON;
typedef CursorObject* HCURSOR;
typedef KernelObject* HANDLE;
typedef const ResourceEntry* HRSRC;
typedef const void* HGLOBAL;
typedef AcceleratorTable* HACCEL;
typedef RegistryKey* HKEY;

struct RECT {
    LONG left, top, right, bottom;
};
struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

// Passed with WM_CREATE in lParam; lpCreateParams is CreateWindowExW's last
// argument.
struct CREATESTRUCTW {
    void* lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy, cx, y, x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef BOOL (*DLGPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

// ---- macros ----------------------------------------------------------------
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)((c) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define LOWORD(l) ((WORD)((uintptr_t)(l)&0xFFFF))
#define HIWORD(l) ((WORD)(((uintptr_t)(l) >> 16) & 0xFFFF))
#define MAKELONG(a, b) ((LONG)(((WORD)(a)) | ((DWORD)((WORD)(b))) << 16))
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((uintptr_t)((WORD)(i))))
#define IS_INTRESOURCE(p) (((uintptr_t)(p) >> 16) == 0)
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))

// ---- window messages -------------------------------------------------------
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_SETTEXT 0x000C
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SETTINGCHANGE 0x001A
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_INITMENUPOPUP 0x0117
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_USER 0x0400

#define WA_INACTIVE 0
#define WA_ACTIVE 1

// Virtual keys used by the front-ends.
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F4 0x73
#define VK_MENU 0x12
#define VK_OEM_2 0xBF  // '/'

// ---- window styles and creation -------------------------------------------
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_VISIBLE 0x10000000L
#define WS_CHILD 0x40000000L
#define CW_USEDEFAULT ((int)0x80000000)
#define SW_HIDE 0
#define SW_SHOW 5
#define SW_SHOWNORMAL 1

// ---- system metrics, cursors ----------------------------------------------
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_HAND MAKEINTRESOURCEW(32649)

// ---- GDI ------------------------------------------------------------------
#define PS_SOLID 0
#define PS_NULL 5
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_SINGLELINE 0x0020
#define TRANSPARENT 1
#define OPAQUE 2

// ---- errors, resources -----------------------------------------------------
#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_WAVE L"WAVE"

// ---- commands, dialogs, message boxes -------------------------------------
#define IDOK 1
#define IDCANCEL 2
#define MB_OK 0x00000000L
#define MB_ICONEXCLAMATION 0x00000030L
#define MF_BYCOMMAND 0x00000000L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L

// ---- menu bar (handheld shell) --------------------------------------------
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define TB_SETBUTTONINFO (WM_USER + 64)
#define TBIF_TEXT 0x00000002

struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};

struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
};

struct TBBUTTONINFOW {
    UINT cbSize;
    DWORD dwMask;
    int idCommand;
    int iImage;
    BYTE fsState;
    BYTE fsStyle;
    WORD cx;
    uintptr_t lParam;
    LPWSTR pszText;
    int cchText;
};

// ---- registry, sound ------------------------------------------------------
#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001)
#define REG_NONE 0
#define REG_SZ 1
#define REG_DWORD 4
#define KEY_ALL_ACCESS 0xF003F
#define KEY_READ 0x20019
#define REG_OPTION_NON_VOLATILE 0
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_RESOURCE 0x00040004L

// ---- windows and messages --------------------------------------------------
BOOL RegisterClassW(const WNDCLASSW* wc);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL UpdateWindow(HWND hwnd);
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text);
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);
BOOL SetForegroundWindow(HWND hwnd);
HWND SetFocus(HWND hwnd);
HWND GetFocus();

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
void PostQuitMessage(int exitCode);

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);

int GetSystemMetrics(int index);
void Sleep(DWORD milliseconds);
DWORD GetTickCount();
DWORD GetLastError();
void SetLastError(DWORD error);

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
HCURSOR SetCursor(HCURSOR cursor);
int ShowCursor(BOOL show);

// ---- GDI -------------------------------------------------------------------
HBRUSH CreateSolidBrush(COLORREF colour);
HPEN CreatePen(int style, int width, COLORREF colour);
HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Polyline(HDC hdc, const POINT* points, int count);
int DrawTextW(HDC hdc, LPCWSTR text, int length, RECT* rect, UINT format);
COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
int SetBkMode(HDC hdc, int mode);
COLORREF GetPixel(HDC hdc, int x, int y);

// ---- resources -------------------------------------------------------------
HMODULE GetModuleHandleW(LPCWSTR name);
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
const void* LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg);
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);

// ---- menu bar and menus ----------------------------------------------------
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);
DWORD CheckMenuItem(HMENU menu, UINT id, UINT check);

// ---- dialogs and message boxes --------------------------------------------
intptr_t DialogBoxIndirectParamW(HINSTANCE instance, const void* dialogTemplate, HWND owner, DLGPROC proc,
                                 LPARAM initParam);
BOOL EndDialog(HWND dialog, intptr_t result);
HWND GetDlgItem(HWND dialog, int id);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int maxCount);
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL MessageBeep(UINT type);

// ---- registry ---------------------------------------------------------------
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result);
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, DWORD access,
                        void* security, HKEY* result, DWORD* disposition);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LSTATUS RegCloseKey(HKEY key);

// ---- processes, sounds, language -------------------------------------------
HANDLE CreateMutexW(void* security, BOOL initialOwner, LPCWSTR name);
BOOL CloseHandle(HANDLE handle);
BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
LANGID GetSystemDefaultLangID();

// ---- runtime helpers the program uses --------------------------------------
int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
