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
#include "tests/support.h"

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
        {6, L"VOSTRA"},       {40093, L"Problem No."},  {124, L"题号"},     {40089, L"Success"},
        {113, L"成功"},       {40090, L"Failure"},      {114, L"失败"},     {40091, L"Good"},
        {115, L"好"},         {40066, L"Hint"},         {40015, L"提示"},   {40098, L"Next variation"},
        {40033, L"下一变化"}, {40099, L"Next problem"}, {40035, L"下一题"}, {40101, L"About"},
        {40039, L"关于"},     {40060, L"Menu"},         {40024, L"菜单"},   {40062, L"Replay"},
        {106, L"重来"},       {40064, L"Back"},         {40014, L"悔棋"},
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

TEST_F(Resources, MenuBarsAndTheirPopup)
{
    // The soft keys' commands (the first drops the menu down), and the
    // pop-up's commands and texts ("Sound On" checked), in order.
    for (UINT id : {117u, 137u}) {
        const MenuBarTemplate* t = findMenuBarTemplate(id);
        ASSERT_TRUE(t && t->buttonCount == 4 && t->itemCount == 9) << id;
        std::string buttons, items;
        for (int i = 0; i < 4; ++i)
            buttons += std::to_string(t->buttons[i].command) + (t->buttons[i].dropDown ? "v " : " ");
        for (int i = 0; i < 9; ++i)
            items += std::to_string(t->popup[i].command) + (t->popup[i].checked ? "* " : " ") + t->popup[i].text + ",";
        EXPECT_EQ(buttons, "40025v 40004 40010 40013 ");
        EXPECT_EQ(items, id == 117 ? "40004 Play,40008 Prev problem,40005 Next problem,40006 Select problem,40083 Pass,"
                                     "40058 Mode,40023* Sound On,40007 About...,102 Quit,"
                                   : "40004 重来,40008 上一题,40005 下一题,40006 选题目,40083 脱先,"
                                     "40058 模式,40023* 声音,40007 关于,102 退出,");
    }
    // The Chinese number dialog (the English one is placed pixel by pixel in
    // the dialog tests).
    auto zh = static_cast<const DialogTemplate*>(findResourceEntry(RT_DIALOG, 135)->data);
    ASSERT_EQ(zh->itemCount, 6);
    EXPECT_STREQ(zh->items[5].text, "取消");
    EXPECT_EQ(zh->items[3].kind, kDialogEdit);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(131), RT_WAVE), nullptr);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(132), RT_DIALOG), nullptr);
}

TEST_F(Resources, AcceleratorsAltSlashAndAltF4)
{
    platformStart(240, 320, nullptr);
    registerResources(&programResources());
    HWND hwnd = openWindow(L"ACCELTEST", recordCommands, 0, 0, 10, 10);
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
