// Resource numbers shared by the resources and the shell.  Command numbers
// are in game/commands.h, sound numbers in game/sound.h.
#pragma once

#include "game/commands.h"
#include "game/sound.h"

// String table.  English and Chinese texts have different numbers, except
// the window class name.
constexpr unsigned IDS_CLASS = 6;  // "VOSTRA"

constexpr unsigned IDS_TITLE_EN = 40084;
constexpr unsigned IDS_PROBLEM_NO_EN = 40093;
constexpr unsigned IDS_SUCCESS_EN = 40089;
constexpr unsigned IDS_FAILURE_EN = 40090;
constexpr unsigned IDS_GOOD_EN = 40091;
constexpr unsigned IDS_HINT_EN = 40066;
constexpr unsigned IDS_NEXT_VARIATION_EN = 40098;
constexpr unsigned IDS_NEXT_PROBLEM_EN = 40099;
constexpr unsigned IDS_ABOUT_CAPTION_EN = 40101;
constexpr unsigned IDS_ABOUT_TEXT_EN = 40105;
constexpr unsigned IDS_MENU_EN = 40060;
constexpr unsigned IDS_REPLAY_EN = 40062;
constexpr unsigned IDS_BACK_EN = 40064;

constexpr unsigned IDS_TITLE_ZH = 2;
constexpr unsigned IDS_PROBLEM_NO_ZH = 124;
constexpr unsigned IDS_SUCCESS_ZH = 113;
constexpr unsigned IDS_FAILURE_ZH = 114;
constexpr unsigned IDS_GOOD_ZH = 115;
constexpr unsigned IDS_HINT_ZH = 40015;
constexpr unsigned IDS_NEXT_VARIATION_ZH = 40033;
constexpr unsigned IDS_NEXT_PROBLEM_ZH = 40035;
constexpr unsigned IDS_ABOUT_CAPTION_ZH = 40039;
constexpr unsigned IDS_ABOUT_TEXT_ZH = 40043;
constexpr unsigned IDS_MENU_ZH = 40024;
constexpr unsigned IDS_REPLAY_ZH = 106;
constexpr unsigned IDS_BACK_ZH = 40014;

// Other resources.
constexpr unsigned IDI_PROGRAM = 101;
constexpr unsigned IDR_MENUBAR_EN = 117;
constexpr unsigned IDR_MENUBAR_ZH = 137;
constexpr unsigned IDD_SELECT_EN = 131;
constexpr unsigned IDD_SELECT_ZH = 135;
constexpr unsigned IDR_ACCELERATORS = 3;

// Items of the selection dialog.
constexpr int IDC_CURRENT_LABEL = 1023;
constexpr int IDC_CURRENT_NUMBER = 1022;
constexpr int IDC_NUMBER_LABEL = 1018;
constexpr int IDC_NUMBER_EDIT = 1021;
constexpr int IDC_SELECT_OK = 1019;
constexpr int IDC_SELECT_CANCEL = 1020;
