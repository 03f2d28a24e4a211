// The number dialog, the About box and the stored problem number.
#pragma once

#include "game/context.h"

// Runs the selection dialog owned by `owner`: the typed number (0 when the
// entry is not a number in range), or -1 when the dialog is cancelled or
// cannot be shown.
int32 selectProblemNumber(HWND owner);
void showAbout();

// The stored problem number; 1 when nothing, or a number below 1, is stored.
int32 readStoredProblem();
void storeProblem(int32 number);
// The registry key under HKEY_CURRENT_USER that holds the stored problem
// number; nullptr goes back to the built-in catalogue's key.  The text must
// stay valid until replaced.
void setProblemRegistryKey(const WCHAR* key);

// The number a typed text starts with, read as atoi reads it: blanks, an
// optional sign and the digits that follow (the rest is ignored); 0 when no
// digit comes first or the number does not fit in 32 bits.
int32 parseProblemNumber(const char* text);
