// The user-interface language, the texts loaded from the string table in
// that language, and the shell's scratch block.
#pragma once

#include "game/context.h"

// Chinese texts, menu bar and dialog; chosen once at start-up.
extern bool chineseUi;

extern WCHAR windowClassName[256];
extern WCHAR windowTitle[256];
extern WCHAR problemNumberLabel[256];
extern WCHAR uiSuccessText[20];
extern WCHAR uiFailureText[20];
extern WCHAR uiGoodText[20];
// The right soft key's labels, indexed by rightKeyMode: hint, next
// variation, next problem.
extern WCHAR softKeyLabels[3][32];
extern WCHAR aboutCaption[8];
extern WCHAR aboutText[256];

// 1024 bytes from malloc; its first 512 bytes are the wide-character buffer
// into which the selection dialog reads the typed number.
extern void* scratchBlock;
constexpr int kScratchBytes = 1024;
constexpr int kScratchWideBytes = 512;
WCHAR* scratchWide();

void chooseLanguage();
void loadWindowStrings();
void loadUiStrings(GameContext& g);
bool allocateScratch();
void freeScratch();
