// The shell's process-wide values: the instance, the main window, the menu
// bar with its "Menu" sub-menu, and the accelerators.
#pragma once

#include "game/context.h"

extern HINSTANCE programInstance;
extern HWND mainWindowHandle;
extern HWND menuBarWindow;
extern HMENU menuSubMenu;
extern HACCEL acceleratorTable;

// Builds the menu bar for the main window (resource 137 in Chinese, 117 in
// English) and takes its "Menu" sub-menu; false when it cannot be built.
bool createMenuBar(HWND hwnd);
// Shows the label of `mode` on the right soft key.
void relabelRightSoftKey(int32 mode);
