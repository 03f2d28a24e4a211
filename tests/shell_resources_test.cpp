// The program's resources through the platform's resource calls: string
// table, menu bars, dialog templates, accelerators, icon and sounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/frontend.h"
#include "platform/resource_table.h"
#include "platform/wave.h"
#include "resources/ids.h"
#include "resources/resources.h"

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override { registerResources(&programResources()); }
};

std::wstring loaded(UINT id, int capacity = 256)
{
    std::vector<WCHAR> buf(capacity);
    int n = LoadStringW(nullptr, id, buf.data(), capacity);
    EXPECT_EQ(n, int(std::wcslen(buf.data())));
    return buf.data();
}

std::vector<int> receivedCommands;

LRESULT recordCommands(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) receivedCommands.push_back(LOWORD(wParam));
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST_F(Resources, StringTableInBothLanguages)
{
    struct Text {
        UINT id;
        const wchar_t* text;
    } texts[] = {
        {6, L"VOSTRA"},          {40093, L"Problem No."},  {124, L"题号"},
        {40089, L"Success"},     {113, L"成功"},           {40090, L"Failure"},
        {114, L"失败"},          {40091, L"Good"},         {115, L"好"},
        {40066, L"Hint"},        {40015, L"提示"},         {40098, L"Next variation"},
        {40033, L"下一变化"},    {40099, L"Next problem"}, {40035, L"下一题"},
        {40101, L"About"},       {40039, L"关于"},         {40060, L"Menu"},
        {40024, L"菜单"},        {40062, L"Replay"},       {106, L"重来"},
        {40064, L"Back"},        {40014, L"悔棋"},
    };
    for (const Text& t : texts) EXPECT_EQ(loaded(t.id), t.text) << t.id;
    for (UINT id : {40084u, 2u}) EXPECT_EQ(loaded(id), L"Vostra");
    for (UINT id : {40105u, 40043u}) {
        std::wstring about = loaded(id);
        EXPECT_NE(about.find(L"Vostra"), std::wstring::npos);
        EXPECT_NE(about.find(L"for Pocket PC ver1.1"), std::wstring::npos);
        EXPECT_LT(about.size(), 256u);
    }
}

TEST_F(Resources, LoadStringCutsToCapacityAndHandsOutTheResource)
{
    EXPECT_EQ(loaded(40098, 5), L"Next");
    EXPECT_EQ(loaded(40101, 1), L"");
    WCHAR buf[8] = L"xxxxxxx";
    EXPECT_EQ(LoadStringW(nullptr, 12345, buf, 8), 0);
    EXPECT_EQ(buf[0], 0);
    const WCHAR* direct = nullptr;
    EXPECT_EQ(LoadStringW(nullptr, 40099, reinterpret_cast<LPWSTR>(&direct), 0), 12);
    EXPECT_EQ(std::wstring(direct), L"Next problem");
}

TEST_F(Resources, MenuBarsHaveFourButtonsAndThePopup)
{
    const MenuBarTemplate* en = findMenuBarTemplate(117);
    const MenuBarTemplate* zh = findMenuBarTemplate(137);
    ASSERT_TRUE(en && zh);
    const UINT commands[] = {40025, 40004, 40010, 40013};
    const UINT enLabels[] = {40060, 40062, 40064, 40066};
    const UINT zhLabels[] = {40024, 106, 40014, 40015};
    ASSERT_EQ(en->buttonCount, 4);
    ASSERT_EQ(zh->buttonCount, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(en->buttons[i].command, commands[i]);
        EXPECT_EQ(zh->buttons[i].command, commands[i]);
        EXPECT_EQ(en->buttons[i].labelStringId, enLabels[i]);
        EXPECT_EQ(zh->buttons[i].labelStringId, zhLabels[i]);
        EXPECT_EQ(en->buttons[i].dropDown, i == 0);
    }
    const UINT items[] = {40004, 40008, 40005, 40006, 40083, 40058, 40023, 40007, 102};
    const char* enText[] = {"Play", "Prev problem", "Next problem", "Select problem", "Pass",
                            "Mode", "Sound On",     "About...",     "Quit"};
    const char* zhText[] = {"重来", "上一题", "下一题", "选题目", "脱先", "模式", "声音", "关于", "退出"};
    ASSERT_EQ(en->itemCount, 9);
    ASSERT_EQ(zh->itemCount, 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(en->popup[i].command, items[i]);
        EXPECT_EQ(zh->popup[i].command, items[i]);
        EXPECT_STREQ(en->popup[i].text, enText[i]);
        EXPECT_STREQ(zh->popup[i].text, zhText[i]);
        EXPECT_EQ(en->popup[i].checked, items[i] == 40023);
        EXPECT_EQ(zh->popup[i].checked, items[i] == 40023);
    }
}

TEST_F(Resources, SelectionDialogTemplates)
{
    struct Item {
        int id;
        DialogItemKind kind;
        short x, y, cx, cy;
    };
    const Item en[] = {{1023, kDialogStatic, 13, 14, 31, 8},  {1022, kDialogStatic, 59, 13, 25, 10},
                       {1018, kDialogStatic, 13, 28, 62, 10}, {1021, kDialogEdit, 13, 40, 71, 12},
                       {1019, kDialogButton, 13, 60, 25, 14}, {1020, kDialogButton, 47, 60, 35, 14}};
    const Item zh[] = {{1023, kDialogStatic, 13, 14, 29, 8},  {1022, kDialogStatic, 59, 13, 25, 10},
                       {1018, kDialogStatic, 13, 32, 62, 10}, {1021, kDialogEdit, 13, 44, 71, 12},
                       {1019, kDialogButton, 13, 60, 25, 14}, {1020, kDialogButton, 48, 60, 35, 14}};
    for (UINT id : {131u, 135u}) {
        HRSRC r = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_DIALOG);
        ASSERT_NE(r, nullptr);
        auto t = static_cast<const DialogTemplate*>(LockResource(LoadResource(nullptr, r)));
        ASSERT_EQ(SizeofResource(nullptr, r), sizeof(DialogTemplate));
        EXPECT_EQ(t->cx, 101);
        EXPECT_EQ(t->cy, 100);
        ASSERT_EQ(t->itemCount, 6);
        const Item* want = id == 131 ? en : zh;
        for (int i = 0; i < 6; ++i) {
            const DialogItemTemplate& it = t->items[i];
            EXPECT_EQ(it.id, want[i].id);
            EXPECT_EQ(it.kind, want[i].kind);
            EXPECT_EQ(it.x, want[i].x) << it.id;
            EXPECT_EQ(it.y, want[i].y) << it.id;
            EXPECT_EQ(it.cx, want[i].cx) << it.id;
            EXPECT_EQ(it.cy, want[i].cy) << it.id;
        }
        EXPECT_STREQ(t->items[1].text, "        ");
        EXPECT_STREQ(t->items[3].text, "");
    }
    EXPECT_STREQ(static_cast<const DialogTemplate*>(findResourceEntry(RT_DIALOG, 135)->data)->items[5].text, "取消");
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(131), RT_WAVE), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(132), RT_DIALOG), nullptr);
}

TEST_F(Resources, AcceleratorsAltSlashAndAltF4)
{
    platformStart(240, 320, nullptr);
    registerResources(&programResources());
    WNDCLASSW wc{};
    wc.lpfnWndProc = recordCommands;
    wc.lpszClassName = L"ACCELTEST";
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND hwnd = CreateWindowExW(0, L"ACCELTEST", L"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    HACCEL accel = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(3));
    ASSERT_NE(accel, nullptr);
    const LPARAM alt = LPARAM(1) | (LPARAM(1) << 29);
    struct Case {
        UINT message;
        WPARAM key;
        LPARAM lParam;
        int command;  // 0: not consumed
    } cases[] = {
        {WM_SYSKEYDOWN, VK_OEM_2, alt, 40003}, {WM_SYSKEYDOWN, VK_F4, alt, 40002},
        {WM_KEYDOWN, VK_OEM_2, 1, 0},          {WM_KEYDOWN, VK_F4, 1, 0},
        {WM_SYSKEYDOWN, 'A', alt, 0},          {WM_CHAR, '/', alt, 0},
        {WM_LBUTTONUP, VK_OEM_2, alt, 0},
    };
    for (const Case& c : cases) {
        receivedCommands.clear();
        MSG msg{hwnd, c.message, c.key, c.lParam, 0, {0, 0}};
        EXPECT_EQ(TranslateAcceleratorW(hwnd, accel, &msg), c.command ? 1 : 0) << c.key;
        EXPECT_EQ(receivedCommands, c.command ? std::vector<int>{c.command} : std::vector<int>{}) << c.key;
    }
    DestroyWindow(hwnd);
    platformStart(240, 320, nullptr);
}

TEST_F(Resources, SoundsHaveTheirFormatsAndLengths)
{
    struct Sound {
        UINT id;
        int bits, rate, ms;
    } sounds[] = {{1999, 8, 11025, 100}, {2030, 16, 22050, 248}, {2095, 16, 11025, 749}};
    for (const Sound& s : sounds) {
        HRSRC r = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(s.id), RT_WAVE);
        ASSERT_NE(r, nullptr);
        WaveInfo w;
        ASSERT_TRUE(parseWave(LockResource(LoadResource(nullptr, r)), SizeofResource(nullptr, r), &w)) << s.id;
        EXPECT_EQ(w.channels, 1);
        EXPECT_EQ(w.bitsPerSample, s.bits);
        EXPECT_EQ(w.sampleRate, s.rate);
        EXPECT_EQ((w.frames() * 1000 + w.sampleRate / 2) / w.sampleRate, size_t(s.ms)) << s.id;
        // Never silent, never clipped.
        int peak = 0;
        for (size_t i = 0; i < w.frames(); ++i) {
            int v = s.bits == 8 ? (w.samples[i] - 128) * 256 : int16_t(w.samples[2 * i] | (w.samples[2 * i + 1] << 8));
            peak = std::max(peak, std::abs(v));
        }
        EXPECT_GT(peak, 8000) << s.id;
        EXPECT_LT(peak, 32000) << s.id;
    }
}

TEST_F(Resources, WaveReaderRefusesDamagedImages)
{
    const ResourceEntry* e = findResourceEntry(RT_WAVE, 2030);
    ASSERT_NE(e, nullptr);
    std::vector<uint8_t> image(static_cast<const uint8_t*>(e->data), static_cast<const uint8_t*>(e->data) + e->size);
    WaveInfo w;
    EXPECT_FALSE(parseWave(image.data(), 30, &w));  // cut inside the fmt chunk
    std::vector<uint8_t> cut(image.begin(), image.begin() + 1000);
    ASSERT_TRUE(parseWave(cut.data(), cut.size(), &w));  // a short data chunk is cut to what is there
    EXPECT_EQ(w.sampleBytes, 1000u - 44u);
    image[20] = 2;  // not PCM
    EXPECT_FALSE(parseWave(image.data(), image.size(), &w));
    EXPECT_FALSE(parseWave("RIFF", 4, &w));
}

TEST_F(Resources, IconAndGeneratedMediaUpToDate)
{
    auto icon = static_cast<const IconTemplate*>(LoadIconW(nullptr, MAKEINTRESOURCEW(101)));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->width, 32);
    EXPECT_EQ(icon->height, 32);
    EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(102)), nullptr);
    if (std::system("python3 --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 not available";
    std::string command = std::string("python3 ") + VOSTRA_SOURCE_DIR + "/resources/make_media.py --check";
    EXPECT_EQ(std::system(command.c_str()), 0) << "resources/media_data.cpp differs from what make_media.py makes";
}
