// The string table, English and Chinese.  Texts are UTF-8 here and reach the
// program as wide strings through LoadStringW.

#include "resources/strings.h"
#include "resources/ids.h"

const StringResource kProgramStrings[] = {
    {IDS_CLASS, "VOSTRA"},

    // English
    {IDS_TITLE_EN, "Vostra"},
    {IDS_PROBLEM_NO_EN, "Problem No."},
    {IDS_SUCCESS_EN, "Success"},
    {IDS_FAILURE_EN, "Failure"},
    {IDS_GOOD_EN, "Good"},
    {IDS_HINT_EN, "Hint"},
    {IDS_NEXT_VARIATION_EN, "Next variation"},
    {IDS_NEXT_PROBLEM_EN, "Next problem"},
    {IDS_ABOUT_CAPTION_EN, "About"},
    {IDS_ABOUT_TEXT_EN,
     "Vostra\n"
     "for Pocket PC ver1.1\n"
     "Go problem trainer\n"
     "\n"
     "Contact: the Vostra\n"
     "project's repository"},
    {IDS_MENU_EN, "Menu"},
    {IDS_REPLAY_EN, "Replay"},
    {IDS_BACK_EN, "Back"},

    // Chinese
    {IDS_TITLE_ZH, "Vostra"},
    {IDS_PROBLEM_NO_ZH, "题号"},
    {IDS_SUCCESS_ZH, "成功"},
    {IDS_FAILURE_ZH, "失败"},
    {IDS_GOOD_ZH, "好"},
    {IDS_HINT_ZH, "提示"},
    {IDS_NEXT_VARIATION_ZH, "下一变化"},
    {IDS_NEXT_PROBLEM_ZH, "下一题"},
    {IDS_ABOUT_CAPTION_ZH, "关于"},
    {IDS_ABOUT_TEXT_ZH,
     "Vostra\n"
     "for Pocket PC ver1.1\n"
     "围棋死活题练习\n"
     "\n"
     "联系：Vostra\n"
     "项目的代码仓库"},
    {IDS_MENU_ZH, "菜单"},
    {IDS_REPLAY_ZH, "重来"},
    {IDS_BACK_ZH, "悔棋"},
};

const int kProgramStringCount = sizeof kProgramStrings / sizeof kProgramStrings[0];
