// Pen input on the main window: taps become moves, pen moves pick the cursor.
#pragma once

#include "game/context.h"

void handleTap(GameContext& g, int32 x, int32 y);
void updateCursor(GameContext& g, int32 x, int32 y);
