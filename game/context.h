// GameContext: the one record holding the whole state of the game in progress
// (board geometry, board and chains, move history, decoded problem and its tree
// index, solving state, drawing palette, sound switch, problem numbers, main
// window).  Every module works on it by direct field access.
#pragma once

#include <cstdint>

#include "platform/win.h"

typedef int32_t int32;

class GameContext {
public:
    GameContext();
    virtual ~GameContext();
    // A copy has a palette of its own: copying takes every game field but
    // leaves each object's brushes and pens alone, so that destroying a copy
    // deletes only what it created.
    GameContext(const GameContext& other);
    GameContext& operator=(const GameContext& other);

    int32 boardAreaWidth;
    int32 statusBottom;
    int32 boardAreaHeight;
    int32 boardOriginX, boardOriginY;
    int32 freeMode;
    int32 stoneRadius;
    int32 cellSize;
    int32 visibleCols, visibleRows;
    int32 lastMoveCol, lastMoveRow;
    int32 sideToMove;
    int32 moveNumber;
    int32 highlightCol, highlightRow;
    int32 chainGrid[21][21];
    int32 stoneGrid[21][21];
    int32 lastCaptureCount;
    char moveHistory[1024];
    int32 setupLength;
    char* setupText;
    int32 problemCols, problemRows;
    int32 nodeCount;
    int32 nodeOffset[501];
    int32 nodeDepth[501];
    int32 nodeLength[501];
    uint8_t visitedFlags[504];
    int32 currentNode;
    int32 currentDepth;
    int32 variationAncestor;
    int32 variationChild;
    uint8_t offTree;
    char SetupText[768];
    char NodeText[8192];
    uint8_t solvedFlag;
    uint8_t failedFlag;
    uint8_t variationPending;
    HBRUSH blackBrush, whiteBrush, redBrush, greenBrush, blueBrush, yellowBrush, magentaBrush, cyanBrush, grayBrush;
    HPEN redPen, blackPen, grayPen, magentaPen, cyanPen;
    uint8_t soundOn;
    uint8_t problemLoaded;
    int32 currentProblem;
    int32 problemCount;
    HWND mainWindow;
    const WCHAR* successText;
    const WCHAR* failureText;
    const WCHAR* goodText;
};

// The program's one instance.  It lives in static storage; the front-end
// constructs it with createTheGame() once the platform knows the screen size,
// before the program's entry function runs, and it is destroyed at exit.
GameContext& theGame();
void createTheGame();

// Palette colours (0x00BBGGRR), in field order.
extern const COLORREF kBrushColours[9];
extern const COLORREF kPenColours[5];
