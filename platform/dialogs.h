// Modal dialogs built from DialogTemplates, their controls (static text, a
// one-line edit box, push buttons) and message boxes.  Geometry for tests and
// front-ends.
#pragma once

#include "platform/win.h"

// Dialog units to pixels for the one font (8 × 16): a horizontal unit is a
// quarter of the character width, a vertical one an eighth of its height.
constexpr int dialogUnitsToPixelsX(int units) { return units * 8 / 4; }
constexpr int dialogUnitsToPixelsY(int units) { return units * 16 / 8; }

constexpr uint32_t kDialogBackground = 0xFFFFFF;
constexpr uint32_t kDialogFrame = 0x000000;
constexpr uint32_t kButtonFace = 0xE4E4E4;
constexpr uint32_t kControlInk = 0x000000;

// The innermost open modal dialog or message box, or null.
HWND openDialog();
// The visible edit box of the innermost open dialog, with its rectangle in
// screen pixels; null (and r untouched) when no open dialog has one.
HWND openDialogEditBox(RECT* screenRect);
