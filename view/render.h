// Board rendering and the status strip.  Operations taking a device context
// draw into it; the others take and release a context of the main window.
#pragma once

#include "game/context.h"

void drawBoard(const GameContext& g, HDC dc);
void drawBackground(const GameContext& g, HDC dc);
void drawPoint(const GameContext& g, HDC dc, int32 col, int32 row);
void drawEmptyPoint(const GameContext& g, HDC dc, int32 col, int32 row);
void drawStone(const GameContext& g, HDC dc, int32 col, int32 row);
void drawStarPoint(const GameContext& g, HDC dc, int32 col, int32 row);
void drawLastMoveDot(const GameContext& g, HDC dc, int32 col, int32 row);
void drawHintMarker(const GameContext& g, HDC dc, int32 col, int32 row);
void drawHighlightBox(const GameContext& g, HDC dc);
void eraseHighlightBox(const GameContext& g);
void moveHighlightBox(GameContext& g, int32 col, int32 row);
void clearStatusStrip(const GameContext& g);
void showStatusText(const GameContext& g, const WCHAR* text);

// The status strip rectangle in client pixels.
RECT statusStripRect(const GameContext& g);
