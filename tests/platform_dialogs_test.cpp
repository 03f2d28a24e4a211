// The platform's modal dialogs and message boxes, and the program's number
// dialog and stored problem number built on them, in-process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/context.h"
#include "platform/dialogs.h"
#include "platform/resource_table.h"
#include "resources/resources.h"
#include "shell/dialogs.h"
#include "shell/ui_strings.h"
#include "tests/support.h"

namespace {

std::vector<UINT> g_ownerInput;

LRESULT ownerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || msg == WM_KEYDOWN) g_ownerInput.push_back(msg);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL CALLBACK endOnOk(HWND dialog, UINT msg, WPARAM wParam, LPARAM)
{
    if (msg == WM_COMMAND && LOWORD(wParam) == 1019) return EndDialog(dialog, 7);
    return msg == WM_INITDIALOG;
}

std::wstring itemText(int id)
{
    WCHAR buf[64];
    GetDlgItemTextW(openDialog(), id, buf, 64);
    return buf;
}

class DialogTest : public ::testing::Test {
protected:
    RecordingFrontEnd fe;
    HWND owner = nullptr;

    void SetUp() override
    {
        g_ownerInput.clear();
        platformStart(240, 320, &fe);
        registerResources(&programResources());
        owner = openWindow(L"OWNER", ownerProc, 0, 26, 240, 268);
        SetFocus(owner);
        createTheGame();
        chineseUi = false;
        loadUiStrings(theGame());
        ASSERT_TRUE(allocateScratch());
    }
    void TearDown() override
    {
        freeScratch();
        DestroyWindow(owner);
        platformStart(240, 320, nullptr);
        registerResources(&programResources());
    }
};

}  // namespace

TEST_F(DialogTest, TemplateItemsPlacedFromDialogUnitsAndTyping)
{
    const void* tmpl = LockResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(131), RT_DIALOG)));
    std::wstring typed, title;
    bool editHasFocus = false;
    fe.steps.push_back([&] {
        editHasFocus = GetFocus() == GetDlgItem(openDialog(), 1021);
        // Dialog 202 × 200 pixels, centred between the title bar and the menu bar.
        EXPECT_EQ(screenAt(19, 60), kDialogFrame);
        EXPECT_EQ(screenAt(220, 259), kDialogFrame);
        EXPECT_EQ(screenAt(20, 61), kDialogBackground);
        // Edit box 1021 at (13,40) 71 × 12 units: (26,80) 142 × 24 pixels.
        EXPECT_EQ(screenAt(45, 140), kControlInk);
        EXPECT_EQ(screenAt(186, 163), kControlInk);
        EXPECT_EQ(screenAt(187, 163), kDialogBackground);
        // OK at (13,60) 25 × 14 units, Cancel at (47,60) 35 × 14.
        EXPECT_EQ(screenAt(45, 180), kControlInk);
        EXPECT_EQ(screenAt(94, 207), kControlInk);
        EXPECT_EQ(screenAt(47, 182), kButtonFace);
        EXPECT_EQ(screenAt(113, 180), kControlInk);
        EXPECT_EQ(screenAt(182, 207), kControlInk);
        tapScreen(100, 40);  // the title bar: nothing there
        tapScreen(5, 100);   // the owner, disabled behind the dialog
        feedChar(L'4');
        feedKey('2', false);
        feedKey('9', false);
        feedKey(VK_BACK, false);
    });
    fe.steps.push_back([&] {
        typed = itemText(1021);
        WCHAR buf[64];
        GetWindowTextW(openDialog(), buf, 64);
        title = buf;
        feedKey(VK_RETURN, false);
    });
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, tmpl, owner, endOnOk, 0), 7);
    EXPECT_EQ(GetDlgItem(owner, 1021), nullptr);
    EXPECT_EQ(openDialog(), nullptr);
    EXPECT_TRUE(editHasFocus);
    EXPECT_EQ(typed, L"42");
    EXPECT_EQ(title, L"Problem No.");
    EXPECT_EQ(g_ownerInput, std::vector<UINT>{});
    EXPECT_EQ(fe.lines, std::vector<std::string>{"dialog 131"});
    EXPECT_EQ(GetFocus(), owner);
    EXPECT_EQ(DialogBoxIndirectParamW(nullptr, nullptr, owner, endOnOk, 0), -1);
}

TEST_F(DialogTest, NumberDialogEntries)
{
    theGame().currentProblem = 7;
    struct Case {
        std::wstring typed;
        int button;  // command that ends the dialog; 0: Escape
        int result;
    } cases[] = {
        {L"3", 1019, 3},
        {L" 12 ", 40017, 12},
        {L"", 1019, 0},
        {L"abc", 1019, 0},
        {L"12abc", 1019, 12},
        {L"0", 1019, 0},
        {L"一", 1019, 0},
        {std::wstring(40, L'9'), 1019, 0},
        {std::wstring(28, L'0') + L"12", 1019, 12},  // 30 characters: all read
        {std::wstring(29, L'0') + L"12", 1019, 1},   // 31: cut to 30
        {L"5", 1020, -1},
        {L"5", 40016, -1},
        {L"5", 102, -1},
        {L"5", 0, -1},
    };
    for (const Case& c : cases) {
        std::wstring current, label;
        fe.steps.push_back([&] {
            current = itemText(1022);
            label = itemText(1018);
            for (wchar_t ch : c.typed) feedChar(ch);
        });
        fe.steps.push_back([&] {
            if (c.button)
                PostMessageW(openDialog(), WM_COMMAND, c.button, 0);
            else
                feedKey(VK_ESCAPE, false);
        });
        EXPECT_EQ(selectProblemNumber(owner), c.result) << std::string(c.typed.begin(), c.typed.end());
        EXPECT_EQ(current, L"7");
        EXPECT_EQ(label, L"Problem No.");
    }
}

TEST_F(DialogTest, DialogThatCannotBeShownGivesTheErrorBox)
{
    const ResourceTable none = {0, nullptr, 0, nullptr};
    registerResources(&none);
    std::wstring caption;
    fe.steps.push_back([&] {
        WCHAR buf[32];
        GetWindowTextW(openDialog(), buf, 32);
        caption = buf;
        feedKey(VK_RETURN, false);
    });
    EXPECT_EQ(selectProblemNumber(owner), -1);
    EXPECT_EQ(fe.lines, (std::vector<std::string>{"beep", "message 1812 714"}));
    EXPECT_EQ(caption, L"Error");
}

// Stored numbers below 1, or of another type, read as problem 1 (the
// program's own runs check the file's damage).
TEST(StoredProblem, ReadAsOneWhenBelowOneOrNotANumber)
{
    TempConfigDir dir;
    storeProblem(12);
    EXPECT_EQ(readStoredProblem(), 12);
    storeProblem(-5);
    EXPECT_EQ(readStoredProblem(), 1);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\pellam\\Vostra", 0, 0, &key), ERROR_SUCCESS);
    const WCHAR text[] = L"12";
    RegSetValueExW(key, L"CurrentProblemNo", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(key);
    EXPECT_EQ(readStoredProblem(), 1);
}

TEST(ProblemNumberText, ParsedSafely)
{
    EXPECT_EQ(parseProblemNumber("42"), 42);
    EXPECT_EQ(parseProblemNumber("\t+7 "), 7);
    EXPECT_EQ(parseProblemNumber("-3"), -3);
    EXPECT_EQ(parseProblemNumber("2147483647"), 2147483647);
    EXPECT_EQ(parseProblemNumber("2147483648"), 0);
    EXPECT_EQ(parseProblemNumber("99999999999999999999999999999999999999"), 0);
    EXPECT_EQ(parseProblemNumber("2x"), 2);
    EXPECT_EQ(parseProblemNumber("1 2"), 1);
    for (const char* bad : {"", " ", "+", "x1", "0x10"}) EXPECT_EQ(parseProblemNumber(bad), 0) << bad;
}
