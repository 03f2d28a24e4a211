// The program's entry function, called by every front-end once the platform
// is ready and the game context has been constructed.
#pragma once

#include "platform/win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);
