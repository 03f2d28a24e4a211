// Notifications posted to the main window by the solving layer and the game
// operations; they are handled after the operation that posted them.
#pragma once

#include "platform/win.h"

constexpr UINT kNotifyMovePlayed = WM_USER + 2;
constexpr UINT kNotifySolved = WM_USER + 3;
constexpr UINT kNotifyFailed = WM_USER + 4;
constexpr UINT kNotifyVariation = WM_USER + 5;
constexpr UINT kNotifyProblemStarted = WM_USER + 6;
