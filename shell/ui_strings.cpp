// Language choice and the user-interface strings.

#include "shell/ui_strings.h"

#include <cstdlib>

#include "resources/ids.h"

bool chineseUi = false;

WCHAR windowClassName[256];
WCHAR windowTitle[256];
WCHAR problemNumberLabel[256];
WCHAR uiSuccessText[20];
WCHAR uiFailureText[20];
WCHAR uiGoodText[20];
WCHAR softKeyLabels[3][32];
WCHAR aboutCaption[8];
WCHAR aboutText[256];

void* scratchBlock = nullptr;

namespace {

template <int N>
void load(WCHAR (&buffer)[N], UINT english, UINT chinese)
{
    LoadStringW(GetModuleHandleW(nullptr), chineseUi ? chinese : english, buffer, N);
}

}  // namespace

WCHAR* scratchWide() { return static_cast<WCHAR*>(scratchBlock); }

void chooseLanguage() { chineseUi = (GetSystemDefaultLangID() & 0x3F) == 4; }

void loadWindowStrings()
{
    load(windowClassName, IDS_CLASS, IDS_CLASS);
    load(windowTitle, IDS_TITLE_EN, IDS_TITLE_ZH);
}

void loadUiStrings(GameContext& g)
{
    load(problemNumberLabel, IDS_PROBLEM_NO_EN, IDS_PROBLEM_NO_ZH);
    load(uiSuccessText, IDS_SUCCESS_EN, IDS_SUCCESS_ZH);
    load(uiFailureText, IDS_FAILURE_EN, IDS_FAILURE_ZH);
    load(uiGoodText, IDS_GOOD_EN, IDS_GOOD_ZH);
    load(softKeyLabels[0], IDS_HINT_EN, IDS_HINT_ZH);
    load(softKeyLabels[1], IDS_NEXT_VARIATION_EN, IDS_NEXT_VARIATION_ZH);
    load(softKeyLabels[2], IDS_NEXT_PROBLEM_EN, IDS_NEXT_PROBLEM_ZH);
    load(aboutCaption, IDS_ABOUT_CAPTION_EN, IDS_ABOUT_CAPTION_ZH);
    load(aboutText, IDS_ABOUT_TEXT_EN, IDS_ABOUT_TEXT_ZH);
    g.successText = uiSuccessText;
    g.failureText = uiFailureText;
    g.goodText = uiGoodText;
}

bool allocateScratch()
{
    scratchBlock = std::malloc(kScratchBytes);
    return scratchBlock != nullptr;
}

void freeScratch()
{
    std::free(scratchBlock);
    scratchBlock = nullptr;
}
