// The main window's procedure.
#pragma once

#include "platform/win.h"

LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
