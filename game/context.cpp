#include "game/context.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "game/catalogue.h"
#include "game/layout.h"

const COLORREF kBrushColours[9] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000,
                                   0x00FFFF, 0xFF00FF, 0xFFFF00, 0x555555};
const COLORREF kPenColours[5] = {0x0000FF, 0x000000, 0x555555, 0xFF00FF, 0xFFFF00};

namespace {

// Everything from the first field to the palette is plain game state; the
// constructor clears it as static storage would be, and copies take it whole.
// The fields after the palette are copied one by one.
char* stateBegin(GameContext& g) { return reinterpret_cast<char*>(&g.boardAreaWidth); }
char* stateEnd(GameContext& g) { return reinterpret_cast<char*>(&g.blackBrush); }

void createPalette(GameContext& g)
{
    HBRUSH* brushes[9] = {&g.blackBrush,  &g.whiteBrush,   &g.redBrush,  &g.greenBrush, &g.blueBrush,
                          &g.yellowBrush, &g.magentaBrush, &g.cyanBrush, &g.grayBrush};
    HPEN* pens[5] = {&g.redPen, &g.blackPen, &g.grayPen, &g.magentaPen, &g.cyanPen};
    for (int i = 0; i < 9; ++i) *brushes[i] = CreateSolidBrush(kBrushColours[i]);
    for (int i = 0; i < 5; ++i) *pens[i] = CreatePen(PS_SOLID, 1, kPenColours[i]);
}

}  // namespace

GameContext::GameContext()
{
    std::memset(stateBegin(*this), 0, stateEnd(*this) - stateBegin(*this));
    soundOn = problemLoaded = 0;
    mainWindow = nullptr;
    successText = failureText = goodText = nullptr;

    problemCount = problemCatalogueCount;
    currentProblem = 1;
    createPalette(*this);
    soundOn = 1;
    problemLoaded = 0;
    freeMode = 0;
    stoneRadius = 7;
    cellSize = 16;
    boardAreaWidth = GetSystemMetrics(SM_CXSCREEN);
    statusBottom = boardAreaHeight = GetSystemMetrics(SM_CYSCREEN) - 52;
    boardOriginX = boardOriginY = 0;
    computeVisibleLines(*this);
    lastMoveCol = lastMoveRow = 0;
    sideToMove = 1;
    moveNumber = 1;
    highlightCol = highlightRow = 1;
    lastCaptureCount = 0;
    moveHistory[0] = '\0';
    setupText = nullptr;
    problemCols = problemRows = 12;
    currentNode = currentDepth = variationAncestor = variationChild = 0;
    offTree = 0;
    solvedFlag = failedFlag = variationPending = 0;
}

GameContext::GameContext(const GameContext& other) : GameContext() { *this = other; }

GameContext& GameContext::operator=(const GameContext& other)
{
    if (this == &other) return *this;
    GameContext& from = const_cast<GameContext&>(other);
    std::memcpy(stateBegin(*this), stateBegin(from), stateEnd(from) - stateBegin(from));
    // setupText refers into the context's own SetupText.
    if (other.setupText == other.SetupText) setupText = SetupText;
    soundOn = other.soundOn;
    problemLoaded = other.problemLoaded;
    currentProblem = other.currentProblem;
    problemCount = other.problemCount;
    mainWindow = other.mainWindow;
    successText = other.successText;
    failureText = other.failureText;
    goodText = other.goodText;
    return *this;
}

GameContext::~GameContext()
{
    HPEN pens[5] = {redPen, blackPen, grayPen, magentaPen, cyanPen};
    HBRUSH brushes[9] = {blackBrush,  whiteBrush,   redBrush,  greenBrush, blueBrush,
                         yellowBrush, magentaBrush, cyanBrush, grayBrush};
    for (HPEN p : pens) DeleteObject(p);
    for (HBRUSH b : brushes) DeleteObject(b);
}

namespace {

alignas(GameContext) unsigned char gameStorage[sizeof(GameContext)];
GameContext* gameInstance = nullptr;

void destroyTheGame()
{
    if (gameInstance) gameInstance->~GameContext();
    gameInstance = nullptr;
}

}  // namespace

GameContext& theGame() { return *gameInstance; }

void createTheGame()
{
    if (gameInstance) return;
    gameInstance = new (gameStorage) GameContext();
    std::atexit(destroyTheGame);
}
