// Pixel rules of the drawing calls, clipping, text and the GDI object count.
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "game/context.h"
#include "platform/gdi_count.h"
#include "platform/internal.h"
#include "tests/support.h"

namespace {

constexpr uint32_t kBackground = 0x336699;
constexpr COLORREF kPen = RGB(255, 0, 0);    // 0xFF0000 on screen
constexpr COLORREF kBrush = RGB(0, 0, 255);  // 0x0000FF on screen
constexpr int kTop = 26;                     // client origin on screen

class GdiTest : public PlatformTest {
protected:
    HWND hwnd = nullptr;
    HDC dc = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;

    void SetUp() override
    {
        PlatformTest::SetUp();
        hwnd = window();
        ASSERT_TRUE(hwnd);
        pump();  // the first paint erases the window to its white background
        dc = GetDC(hwnd);
        HBRUSH bg = CreateSolidBrush(RGB(0x33, 0x66, 0x99));
        RECT all{0, 0, 240, 294};
        FillRect(dc, &all, bg);
        DeleteObject(bg);
        pen = CreatePen(PS_SOLID, 1, kPen);
        brush = CreateSolidBrush(kBrush);
    }
    void TearDown() override
    {
        ReleaseDC(hwnd, dc);
        DeleteObject(pen);
        DeleteObject(brush);
        PlatformTest::TearDown();
    }
    static uint32_t client(int x, int y) { return at(x, y + kTop); }
};

TEST_F(GdiTest, FillRectExcludesRightAndBottomEdges)
{
    RECT r{10, 20, 14, 23};
    FillRect(dc, &r, brush);
    for (int y = 18; y < 26; ++y)
        for (int x = 8; x < 17; ++x) {
            const bool inside = x >= 10 && x < 14 && y >= 20 && y < 23;
            EXPECT_EQ(client(x, y), inside ? 0x0000FFu : kBackground) << x << "," << y;
        }
}

TEST_F(GdiTest, EllipseFillsItsBoxSymmetricallyWithOutlineAndInside)
{
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    // The sizes the board uses (star points 2..4, dots 4, stones and hint
    // markers up to 24) and a few uneven boxes.
    const int sizes[][2] = {{1, 1},   {2, 2},   {3, 3},   {4, 4},   {5, 5},   {6, 6},   {7, 7},
                            {8, 8},   {9, 9},   {10, 10}, {12, 12}, {14, 14}, {16, 16}, {18, 18},
                            {20, 20}, {22, 22}, {24, 24}, {6, 10},  {13, 5},  {2, 9}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1], left = 40, top = 40;
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        RECT clear{left - 3, top - 3, left + w + 3, top + h + 3};
        HBRUSH bg = CreateSolidBrush(RGB(0x33, 0x66, 0x99));
        FillRect(dc, &clear, bg);
        DeleteObject(bg);
        ASSERT_TRUE(Ellipse(dc, left, top, left + w, top + h));
        auto in = [&](int i, int j) {
            return i >= 0 && i < w && j >= 0 && j < h && client(left + i, top + j) != kBackground;
        };
        bool touchesLeft = false, touchesTop = false;
        for (int j = -3; j < h + 3; ++j) {
            int runs = 0;
            for (int i = -3; i < w + 3; ++i) {
                const uint32_t p = client(left + i, top + j);
                if (i < 0 || i >= w || j < 0 || j >= h) {
                    ASSERT_EQ(p, kBackground);  // nothing outside the box
                    continue;
                }
                // Mirror images left/right and top/bottom; one span per row;
                // the outline in the pen's colour, the inside in the brush's.
                ASSERT_EQ(p, client(left + w - 1 - i, top + j));
                ASSERT_EQ(p, client(left + i, top + h - 1 - j));
                if (!in(i, j)) continue;
                runs += !in(i - 1, j);
                touchesLeft |= i == 0;
                touchesTop |= j == 0;
                const bool edge = !in(i - 1, j) || !in(i + 1, j) || !in(i, j - 1) || !in(i, j + 1);
                ASSERT_EQ(p, edge ? 0xFF0000u : 0x0000FFu) << i << "," << j;
            }
            EXPECT_LE(runs, 1);
        }
        EXPECT_TRUE(touchesLeft && touchesTop);
        if (w >= 3 && h >= 3) {
            EXPECT_EQ(client(left + w / 2, top + h / 2), 0x0000FFu);
        }
        if (w == h && w >= 8) {
            EXPECT_TRUE(!in(0, 0) && in(0, h / 2) && in(w / 2, 0));  // round, not square
        }
    }
}

TEST_F(GdiTest, FreshContextDrawsBlackOutlineWhiteInsideAndOpaqueBlackText)
{
    HDC fresh = GetDC(hwnd);
    Ellipse(fresh, 100, 100, 110, 110);
    EXPECT_EQ(client(100, 105), 0x000000u);
    EXPECT_EQ(client(105, 105), 0xFFFFFFu);
    EXPECT_EQ(SelectObject(fresh, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(fresh, brush), GetStockObject(WHITE_BRUSH));
    RECT strip{0, 200, 240, 232};
    DrawTextW(fresh, L"Good", -1, &strip, DT_CENTER);
    // "Good" is four 8-pixel cells centred across 240 pixels: x 104..135,
    // rows 200..215, black on white; nothing else is touched.
    int black = 0;
    for (int y = 196; y < 236; ++y)
        for (int x = 0; x < 240; ++x) {
            const uint32_t p = client(x, y);
            const bool cell = x >= 104 && x < 136 && y >= 200 && y < 216;
            if (!cell) {
                ASSERT_EQ(p, kBackground) << x << "," << y;
            } else {
                ASSERT_TRUE(p == 0xFFFFFF || p == 0) << x << "," << y;
            }
            black += p == 0;
        }
    EXPECT_GT(black, 20);
    ReleaseDC(hwnd, fresh);
    EXPECT_EQ(fe.lines, std::vector<std::string>{"status Good"});
}

TEST_F(GdiTest, TextInChineseUsesRealGlyphsAndUnknownCharactersDrawBoxes)
{
    SetBkMode(dc, TRANSPARENT);
    RECT r{0, 100, 240, 132};
    DrawTextW(dc, L"成功", -1, &r, DT_CENTER);
    EXPECT_EQ(fe.lines.back(), "status 成功");
    // Two 16-pixel glyphs centred: x 104..135.  Real glyphs differ from each
    // other and from a box.
    auto cell = [&](int x0) {
        std::string bits;
        for (int y = 100; y < 116; ++y)
            for (int x = x0; x < x0 + 16; ++x) bits += client(x, y) == 0 ? '#' : '.';
        return bits;
    };
    const std::string a = cell(104), b = cell(120);
    EXPECT_NE(a, b);
    EXPECT_GT(std::count(a.begin(), a.end(), '#'), 20);
    RECT u{0, 150, 240, 182};
    DrawTextW(dc, L"\xE000", -1, &u, DT_LEFT);  // a private-use character has no glyph
    EXPECT_EQ(client(1, 151), 0u);
    EXPECT_EQ(client(6, 151), 0u);
    EXPECT_EQ(client(1, 164), 0u);
    EXPECT_EQ(client(3, 155), kBackground);
}

// Every character of the interface texts has a glyph: the font was made again
// after the texts changed.
TEST(FontTest, CoversEveryCharacterOfTheResources)
{
    namespace fs = std::filesystem;
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(VOSTRA_SOURCE_DIR) / "resources")) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h" && ext != ".txt" && ext != ".rc") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (size_t i = 0; i < text.size();) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            const int extra = c < 0x80 ? 0 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
            if (extra < 0 || i + size_t(extra) >= text.size()) break;  // not UTF-8 text
            uint32_t code = extra ? c & (0x3F >> extra) : c;
            for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
            i += size_t(extra) + 1;
            if (code < 0x80) continue;
            EXPECT_TRUE(fontHasGlyph(code))
                << entry.path() << ": U+" << std::hex << code << " (run scripts/make_font.py)";
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(GdiTest, PolylineLeavesOutEachSegmentsEndPoint)
{
    SelectObject(dc, pen);
    POINT line[] = {{10, 10}, {20, 10}};
    Polyline(dc, line, 2);
    for (int x = 8; x < 23; ++x) EXPECT_EQ(client(x, 10), x >= 10 && x < 20 ? 0xFF0000u : kBackground) << x;

    // The highlight box: a closed five-point polyline frames the square, all
    // four corners included.
    POINT box[] = {{50, 50}, {50, 59}, {59, 59}, {59, 50}, {50, 50}};
    Polyline(dc, box, 5);
    for (int y = 49; y < 61; ++y)
        for (int x = 49; x < 61; ++x) {
            const bool frame = x >= 50 && x <= 59 && y >= 50 && y <= 59 && (x == 50 || x == 59 || y == 50 || y == 59);
            ASSERT_EQ(client(x, y), frame ? 0xFF0000u : kBackground) << x << "," << y;
        }

    // A slanted segment has one pixel per step along its longer axis, in
    // either direction, never its end point.
    POINT slant[] = {{100, 100}, {107, 103}};
    POINT back[] = {{127, 103}, {120, 100}};
    Polyline(dc, slant, 2);
    Polyline(dc, back, 2);
    int count = 0, countBack = 0;
    for (int y = 98; y < 106; ++y)
        for (int x = 98; x < 130; ++x) {
            if (client(x, y) != 0xFF0000u) continue;
            (x < 115 ? count : countBack)++;
        }
    EXPECT_EQ(count * 10 + countBack, 77);
    EXPECT_TRUE(client(100, 100) == 0xFF0000u && client(127, 103) == 0xFF0000u);
    EXPECT_TRUE(client(107, 103) == kBackground && client(120, 100) == kBackground);
    EXPECT_FALSE(Polyline(dc, line, 1));
}

TEST_F(GdiTest, DrawingIsClippedToTheClientAreaAndToWindowsAbove)
{
    // The window shrinks to leave the menu bar area at the bottom.
    MoveWindow(hwnd, 0, 26, 240, 268, FALSE);
    HDC shrunk = GetDC(hwnd);
    ASSERT_TRUE(window(100, 100, 40, 40));
    pump();  // paints the new window (white) and the uncovered desktop
    const uint32_t title = at(5, 2), menu = at(5, 310);
    RECT everything{-50, -50, 400, 400};
    FillRect(shrunk, &everything, brush);
    SelectObject(shrunk, pen);
    POINT diagonal[] = {{-30, -30}, {300, 300}};
    Polyline(shrunk, diagonal, 2);
    Ellipse(shrunk, -20, 250, 30, 300);
    ReleaseDC(hwnd, shrunk);
    EXPECT_EQ(at(5, 2), title);
    EXPECT_EQ(at(5, 310), menu);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x) {
            const bool mine = y >= 26 && y < 294 && !(x >= 100 && x < 140 && y >= 100 && y < 140);
            if (!mine) {
                ASSERT_NE(at(x, y), 0x0000FFu) << x << "," << y;
            }
        }
    EXPECT_EQ(at(5, 30), 0x0000FFu);
    EXPECT_EQ(at(120, 120), 0xFFFFFFu);            // the window above keeps its background
    EXPECT_EQ(GetPixel(dc, 5, 300), 0xFFFFFFFFu);  // beyond the client area
}

TEST_F(GdiTest, PaintIsClippedToTheBoundingRectangleOfTheInvalidatedParts)
{
    RECT a{10, 10, 20, 20}, b{30, 40, 35, 45};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    PAINTSTRUCT ps;
    HDC paint = BeginPaint(hwnd, &ps);
    EXPECT_EQ(std::vector<LONG>({ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom}),
              std::vector<LONG>({10, 10, 35, 45}));
    RECT all{0, 0, 240, 294};
    FillRect(paint, &all, brush);
    EndPaint(hwnd, &ps);
    for (int y = 0; y < 294 - kTop; y += 3)
        for (int x = 0; x < 240; x += 3) {
            const bool inside = x >= 10 && x < 35 && y >= 10 && y < 45;
            ASSERT_EQ(client(x, y), inside ? 0x0000FFu : kBackground) << x << "," << y;
        }
    // Validated: a second BeginPaint draws nothing.
    paint = BeginPaint(hwnd, &ps);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(paint, &all, red);
    EndPaint(hwnd, &ps);
    DeleteObject(red);
    EXPECT_EQ(client(12, 12), 0x0000FFu);
}

TEST_F(GdiTest, LiveObjectCountFollowsCreationAndDeletion)
{
    const int base = liveGdiObjectCount();
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    HPEN p = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    EXPECT_EQ(liveGdiObjectCount(), base + 2);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b));  // already gone
    EXPECT_TRUE(DeleteObject(p));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));  // stock: never deleted or counted
    EXPECT_EQ(liveGdiObjectCount(), base);
    EXPECT_EQ(SelectObject(dc, b), nullptr);  // a deleted object cannot be selected

    // A game context owns exactly its 14 palette objects, with or without a window.
    auto g = std::make_unique<GameContext>();
    EXPECT_EQ(liveGdiObjectCount(), base + 14);
    g.reset();
    EXPECT_EQ(liveGdiObjectCount(), base);

    // The problem compiler makes and drops contexts on several threads at once.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 200; ++i) GameContext scratch;
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(liveGdiObjectCount(), base);
}

}  // namespace
