// The menu bar and its pop-up menu, drawn and operated in-process: button
// layout and labels in both languages (pixels worked out from the character
// widths), relabelling, the pop-up's place, check mark, choice and dismissal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/menubar.h"
#include "platform/resource_table.h"
#include "resources/resources.h"
#include "tests/support.h"

namespace {

std::vector<UINT> g_messages;  // WM_COMMAND ids, and pen messages, seen by the owner

LRESULT ownerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) g_messages.push_back(LOWORD(wParam));
    if (msg == WM_INITMENUPOPUP || msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) g_messages.push_back(msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class MenuBarTest : public ::testing::TestWithParam<bool> {
protected:
    RecordingFrontEnd fe;
    HWND owner = nullptr, bar = nullptr;
    bool chinese() const { return GetParam(); }

    void SetUp() override
    {
        g_messages.clear();
        platformStart(240, 320, &fe);
        registerResources(&programResources());
        owner = openWindow(L"OWNER", ownerProc, 0, 26, 240, 268);
        SHMENUBARINFO info{};
        info.cbSize = sizeof info;
        info.hwndParent = owner;
        info.nToolBarId = chinese() ? 137 : 117;
        ASSERT_TRUE(SHCreateMenuBar(&info));
        bar = info.hwndMB;
        ShowWindow(bar, SW_SHOW);
        UpdateWindow(bar);
    }
    void TearDown() override
    {
        DestroyWindow(owner);  // and the menu bar it owns
        platformStart(240, 320, nullptr);
    }

    static uint32_t pixel(int x, int y) { return screenPixels()[y * 240 + x]; }
};

// Width of a label in the 8 × 16 font: CJK characters take two cells.
int labelWidth(const std::wstring& s)
{
    int w = 0;
    for (wchar_t c : s) w += c >= 0x2E80 ? 16 : 8;
    return w;
}

std::vector<int> lefts(const std::vector<RECT>& rects)
{
    std::vector<int> out;
    for (const RECT& r : rects) out.push_back(r.left);
    return out;
}

}  // namespace

TEST_P(MenuBarTest, FourSoftKeysWithCentredLabels)
{
    const std::vector<std::wstring> labels = chinese()
                                                 ? std::vector<std::wstring>{L"菜单", L"重来", L"悔棋", L"提示"}
                                                 : std::vector<std::wstring>{L"Menu", L"Replay", L"Back", L"Hint"};
    EXPECT_EQ(menuBarLabels(bar), labels);
    EXPECT_EQ(activeMenuBar(), bar);
    const std::vector<RECT> rects = menuBarButtonRects(bar);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(lefts(rects), (std::vector<int>{0, 60, 120, 180}));
    for (int x = 0; x < 240; ++x) EXPECT_EQ(pixel(x, 294), kMenuBarEdge) << x;
    for (int sep : {59, 119, 179}) {
        EXPECT_EQ(pixel(sep, 300), kMenuBarEdge);
        EXPECT_EQ(pixel(sep, 296), kMenuBarFace);
    }
    // Ink only inside each label's box, and some in every box.
    std::vector<int> inkPerLabel(4, 0);
    for (int y = 295; y < 320; ++y)
        for (int x = 0; x < 240; ++x) {
            if (pixel(x, y) != kMenuText) continue;
            bool inside = false;
            for (int i = 0; i < 4; ++i) {
                const int w = labelWidth(labels[size_t(i)]);
                const int left = rects[size_t(i)].left + (60 - w) / 2;
                if (x >= left && x < left + w && y >= 299 && y < 315) {
                    inside = true;
                    ++inkPerLabel[size_t(i)];
                }
            }
            EXPECT_TRUE(inside) << x << "," << y;
        }
    for (int n : inkPerLabel) EXPECT_GT(n, 20);
}

TEST_P(MenuBarTest, RelabellingWidensTheRightKey)
{
    const std::wstring label = chinese() ? L"下一变化" : L"Next variation";
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_TEXT;
    info.pszText = const_cast<LPWSTR>(label.c_str());
    EXPECT_TRUE(SendMessageW(bar, TB_SETBUTTONINFO, 40013, LPARAM(&info)));
    EXPECT_FALSE(SendMessageW(bar, TB_SETBUTTONINFO, 40099, LPARAM(&info)));
    EXPECT_EQ(fe.lines.back(), chinese() ? "softkey 下一变化" : "softkey Next variation");
    EXPECT_EQ(menuBarLabels(bar)[3], label);
    // Labels that no longer fit a quarter each get their own width plus an
    // equal share of what is left.
    EXPECT_EQ(lefts(menuBarButtonRects(bar)),
              chinese() ? (std::vector<int>{0, 52, 104, 156}) : (std::vector<int>{0, 36, 88, 124}));
    UpdateWindow(bar);
    const RECT right = menuBarButtonRects(bar)[3];
    const int textLeft = right.left + (right.right - right.left - labelWidth(label)) / 2;
    int ink = 0;
    for (int y = 299; y < 315; ++y)
        for (int x = textLeft; x < textLeft + labelWidth(label); ++x) ink += pixel(x, y) == kMenuText;
    EXPECT_GT(ink, 40);
}

TEST_P(MenuBarTest, PopupOpensAboveTheBarWithSoundOnChecked)
{
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 40025));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, 40004), 0);
    const int width = 2 + kMenuCheckWidth + (chinese() ? 48 : 112) + kMenuTextRight;
    std::vector<uint32_t> open;
    std::vector<RECT> items;
    fe.steps.push_back([] { tapScreen(30, 307); });
    fe.steps.push_back([&] {
        open.assign(screenPixels(), screenPixels() + 240 * 320);
        items = popupItemRects(openPopupMenu());
        tapScreen(40, items.size() > 6 ? (items[6].top + items[6].bottom) / 2 : 0);  // "Sound On"
    });
    pump(true);
    ASSERT_EQ(items.size(), 9u);
    auto at = [&](int x, int y) { return open[size_t(y * 240 + x)]; };
    // Frame: left 0, bottom on the bar, 9 items of 20 pixels.
    EXPECT_EQ(at(0, 112), kMenuFrame);
    EXPECT_EQ(at(width - 1, 200), kMenuFrame);
    EXPECT_NE(at(width, 200), kMenuFrame);
    EXPECT_EQ(at(10, 293), kMenuFrame);
    EXPECT_EQ(items[0].top, 113);
    EXPECT_EQ(items[8].bottom, 293);
    EXPECT_EQ(at(2, 300), kMenuHighlight);  // the Menu key shows pressed
    // The tick stands on "Sound On" only.
    for (int i = 0; i < 9; ++i) {
        const int x = items[size_t(i)].left + 4, y = items[size_t(i)].top + 9;
        for (int k = 0; k < 4; ++k) EXPECT_EQ(at(x + k, y + k), i == 6 ? kMenuText : kMenuBackground) << i;
    }
    EXPECT_EQ(g_messages, (std::vector<UINT>{WM_INITMENUPOPUP, 40023}));
    EXPECT_EQ(openPopupMenu(), nullptr);
    EXPECT_EQ(pixel(2, 300), kMenuBarFace);

    EXPECT_EQ(CheckMenuItem(menu, 40023, MF_UNCHECKED), DWORD(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 40023, MF_CHECKED), DWORD(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(menu, 12345, MF_CHECKED), DWORD(-1));
    EXPECT_EQ(CheckMenuItem(nullptr, 40023, MF_CHECKED), DWORD(-1));
}

TEST_P(MenuBarTest, TapElsewhereOrEscapeClosesThePopupAndIsSwallowed)
{
    bool openAfterFirstTap = false;
    fe.steps.push_back([] { tapScreen(30, 307); });
    fe.steps.push_back([] { tapScreen(200, 100); });  // on the owner, beside the menu
    fe.steps.push_back([&] {
        openAfterFirstTap = openPopupMenu() != nullptr;
        tapScreen(30, 307);
    });
    fe.steps.push_back([] { feedKey(VK_ESCAPE, false); });
    fe.steps.push_back([] { tapScreen(150, 307); });  // "Back"
    pump(true);
    EXPECT_FALSE(openAfterFirstTap);
    EXPECT_EQ(g_messages, (std::vector<UINT>{WM_INITMENUPOPUP, WM_INITMENUPOPUP, 40010}));
}

INSTANTIATE_TEST_SUITE_P(Languages, MenuBarTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Chinese" : "English"; });
