// Message order, window creation and destruction, input routing, the
// transcript events of the platform, the title bar and wsprintfW.
#include <cstring>

#include "tests/support.h"

namespace {

constexpr UINT kA = WM_USER + 50, kB = WM_USER + 51;

// Takes every message up to the idle point, dispatching each.
std::vector<UINT> drain(MSG* last = nullptr)
{
    std::vector<UINT> order;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
        order.push_back(m.message);
        DispatchMessageW(&m);
    }
    if (last) *last = m;
    return order;
}

using MessagesTest = PlatformTest;

TEST_F(MessagesTest, PostedFirstThenInputThenPaintOnlyWhenInvalid)
{
    HWND w = window();
    PostMessageW(w, kA, 1, 2);
    feedPenDown(10, 40);
    PostMessageW(w, kB, 0, 0);
    MSG last;
    EXPECT_EQ(drain(&last), (std::vector<UINT>{kA, kB, WM_LBUTTONDOWN, WM_PAINT}));
    EXPECT_EQ(last.message, UINT(WM_QUIT));
    EXPECT_EQ(last.wParam, 0u);  // the code the idle front-end quits with
    EXPECT_EQ(fe.waits, 1);

    // Valid now: no paint; an invalidated strip is painted once.
    PostMessageW(w, kA, 0, 0);
    EXPECT_EQ(drain(), std::vector<UINT>{kA});
    RECT strip{0, 236, 240, 268};
    InvalidateRect(w, &strip, FALSE);
    PostMessageW(nullptr, kB, 0, 0);  // a thread message comes first
    EXPECT_EQ(drain(), (std::vector<UINT>{kB, WM_PAINT}));

    // Quitting waits for the messages already posted.
    PostMessageW(w, kA, 0, 0);
    PostQuitMessage(3);
    MSG m;
    EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.message, kA);
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(MessagesTest, SendMessageAndUpdateWindowActAtOnce)
{
    HWND w = window();
    received().clear();
    EXPECT_EQ(SendMessageW(w, kA, 5, 6), 0);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].wParam, 5u);
    UpdateWindow(w);  // invalid since it was shown
    EXPECT_EQ(messagesTo(w), (std::vector<UINT>{kA, WM_PAINT, WM_ERASEBKGND}));
    const size_t n = received().size();
    UpdateWindow(w);  // nothing left to paint
    EXPECT_EQ(received().size(), n);
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(uintptr_t(0x10)), kA, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(uintptr_t(0x10)), kA, 0, 0));
}

LRESULT CALLBACK refusingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    received().push_back({hwnd, msg, wParam, lParam});
    return msg == WM_CREATE ? -1 : DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(MessagesTest, CreationAndDestruction)
{
    HWND w = CreateWindowExW(0, L"LOG", L"Main", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             nullptr, nullptr, nullptr, reinterpret_cast<void*>(uintptr_t(42)));
    ASSERT_TRUE(w);
    ASSERT_FALSE(received().empty());
    EXPECT_EQ(received()[0].msg, UINT(WM_CREATE));
    EXPECT_EQ(received()[0].createParam, reinterpret_cast<void*>(uintptr_t(42)));
    RECT r, c;
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom, c.bottom}),
              std::vector<LONG>({0, 26, 240, 320, 294}));
    EXPECT_EQ(platformMainWindow(), w);
    EXPECT_EQ(FindWindowW(L"LOG", L"Main"), w);
    EXPECT_EQ(FindWindowW(L"LOG", L"Other"), nullptr);
    WCHAR text[8];
    EXPECT_EQ(GetWindowTextW(w, text, 3), 2);
    EXPECT_EQ(std::wcscmp(text, L"Ma"), 0);

    WNDCLASSW wc{};
    wc.lpfnWndProc = refusingProc;
    wc.lpszClassName = L"REFUSE";
    ASSERT_TRUE(RegisterClassW(&wc));
    EXPECT_FALSE(RegisterClassW(&wc));
    received().clear();
    EXPECT_EQ(CreateWindowExW(0, L"REFUSE", L"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    ASSERT_EQ(received().size(), 2u);
    EXPECT_EQ(received()[1].msg, UINT(WM_DESTROY));
    EXPECT_EQ(CreateWindowExW(0, L"NOCLASS", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);

    // Closing through the default procedure destroys; the handle dies with
    // its queued messages.
    PostMessageW(w, kA, 0, 0);
    received().clear();
    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(platformMainWindow(), nullptr);
    bool destroyed = false;
    for (const Received& m : received()) destroyed |= m.msg == WM_DESTROY;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(drain(), std::vector<UINT>{});
    // Its area goes back to the desktop's grey.
    EXPECT_EQ(at(120, 200), 0xC0C0C0u);
    EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<uintptr_t>(w) | 1)));
}

TEST_F(MessagesTest, InputGoesToTheTopWindowUnderThePenAndKeysToTheFocus)
{
    HWND main = window();
    HWND top = window(100, 100, 50, 50);
    HWND child = window(10, 10, 20, 20, top, WS_VISIBLE | WS_CHILD);
    drain();
    received().clear();
    feedPenDown(5, 30);     // main window, client (5, 4)
    feedPenUp(120, 125);    // child of `top`: client (10, 15)
    feedPenMove(145, 145);  // `top` itself, client (45, 45)
    feedRightButtonUp(5, 300);
    feedPenDown(5, 5);  // the title bar: no window
    feedKey(VK_LEFT, false);
    feedKey(VK_F4, true);
    drain();
    std::vector<Received> got;
    for (const Received& r : received())
        if (r.msg != WM_PAINT && r.msg != WM_ERASEBKGND) got.push_back(r);
    ASSERT_EQ(got.size(), 6u);
    auto expect = [](const Received& r, HWND h, UINT msg, int x, int y) {
        EXPECT_TRUE(r.hwnd == h && r.msg == msg && LOWORD(r.lParam) == x && HIWORD(r.lParam) == y) << msg;
    };
    expect(got[0], main, WM_LBUTTONDOWN, 5, 4);
    expect(got[1], child, WM_LBUTTONUP, 10, 15);
    expect(got[2], top, WM_MOUSEMOVE, 45, 45);
    expect(got[3], main, WM_RBUTTONUP, 5, 274);
    EXPECT_EQ(got[4].hwnd, main);  // nothing has the focus: the main window
    EXPECT_EQ(got[4].msg, UINT(WM_KEYDOWN));
    EXPECT_EQ(got[4].wParam, WPARAM(VK_LEFT));
    EXPECT_EQ(got[5].msg, UINT(WM_SYSKEYDOWN));

    EXPECT_EQ(SetFocus(child), nullptr);
    EXPECT_EQ(GetFocus(), child);
    received().clear();
    feedKey('A', false);
    feedChar(L'7');
    MSG m;
    std::vector<UINT> order;
    while (GetMessageW(&m, nullptr, 0, 0)) {
        order.push_back(m.message);
        EXPECT_EQ(m.hwnd, child);
        TranslateMessage(&m);
        if (m.message == WM_CHAR) {
            EXPECT_EQ(m.wParam, order.size() == 2 ? WPARAM('a') : WPARAM('7'));
        }
        DispatchMessageW(&m);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_CHAR}));
}

TEST_F(MessagesTest, TranscriptEventsAndTheClock)
{
    HWND w = window();
    PostMessageW(w, WM_USER + 2, 0, 0);
    PostMessageW(w, WM_USER + 6, 0, 0);
    PostMessageW(w, WM_USER + 7, 0, 0);
    drain();
    const DWORD before = GetTickCount();
    Sleep(200);
    EXPECT_EQ(GetTickCount() - before, 200u);
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));  // already the arrow: no event
    const HCURSOR arrow = SetCursor(LoadCursorW(nullptr, IDC_HAND));
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    SetCursor(arrow);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(fe.lines, (std::vector<std::string>{"notify 1026", "notify 1030", "sleep 200", "cursor hand",
                                                  "cursor wait", "cursor arrow"}));
}

TEST_F(MessagesTest, TitleBarShowsTheForegroundCaptionAndHidingExposesWhatIsBelow)
{
    auto titleInk = [] {
        int n = 0;
        for (int y = 0; y < 26; ++y)
            for (int x = 0; x < 240; ++x) n += at(x, y) == 0xFFFFFF;
        return n;
    };
    EXPECT_EQ(titleInk(), 0);
    HWND main = window();
    drain();
    const int shortCaption = titleInk();
    EXPECT_GT(shortCaption, 0);
    SetWindowTextW(main, L"A much longer caption");
    EXPECT_GT(titleInk(), shortCaption);

    HWND over = window(20, 60, 100, 100);
    drain();
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HDC dc = GetDC(main);
    RECT all{0, 0, 240, 294};
    FillRect(dc, &all, red);
    ReleaseDC(main, dc);
    EXPECT_EQ(at(50, 100), 0xFFFFFFu);  // covered by `over`
    received().clear();
    ShowWindow(over, SW_HIDE);
    drain();
    // The main window repaints (erases to white) the uncovered part only.
    EXPECT_EQ(messagesTo(main), (std::vector<UINT>{WM_ACTIVATE, WM_PAINT, WM_ERASEBKGND}));
    EXPECT_EQ(at(50, 100), 0xFFFFFFu);
    EXPECT_EQ(at(10, 100), 0xFF0000u);
    DeleteObject(red);
}

TEST(WsprintfTest, FormatsTheConversionsTheProgramUses)
{
    WCHAR out[64];
    EXPECT_EQ(wsprintfW(out, L"%d %x", -1234, 0xBEEFu), 10);
    EXPECT_STREQ(out, L"-1234 beef");
    wsprintfW(out, L"[%5d|%-4u|%04X|%s|%ls|%c|%%]", 42, 7u, 0x2Au, L"wide", L"ls", L'z');
    EXPECT_STREQ(out, L"[   42|7   |002A|wide|ls|z|%]");
    wsprintfW(out, L"%d", int(0x80000000u));
    EXPECT_STREQ(out, L"-2147483648");
}

}  // namespace
