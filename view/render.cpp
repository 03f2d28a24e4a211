#include "view/render.h"

#include <algorithm>

#include "board/board.h"
#include "game/layout.h"

namespace {

// A device context of the main window for one drawing step.
class WindowDC {
public:
    explicit WindowDC(const GameContext& g) : window_(g.mainWindow), dc_(GetDC(g.mainWindow)) {}
    ~WindowDC() { ReleaseDC(window_, dc_); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

void fill(HDC dc, int32 left, int32 top, int32 right, int32 bottom, HBRUSH brush)
{
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
}

void segment(HDC dc, int32 x0, int32 y0, int32 x1, int32 y1)
{
    POINT pts[2] = {{x0, y0}, {x1, y1}};
    Polyline(dc, pts, 2);
}

bool isStarLine(int32 k) { return k == 4 || k == 10 || k == 16; }

}  // namespace

RECT statusStripRect(const GameContext& g) { return RECT{0, g.statusBottom - 32, g.boardAreaWidth, g.statusBottom}; }

void drawBoard(const GameContext& g, HDC dc)
{
    drawBackground(g, dc);
    for (int32 col = 1; col <= g.visibleCols; ++col)
        for (int32 row = 1; row <= g.visibleRows; ++row) drawPoint(g, dc, col, row);
    drawLastMoveDot(g, dc, g.lastMoveCol, g.lastMoveRow);
    drawHighlightBox(g, dc);
}

void drawBackground(const GameContext& g, HDC dc)
{
    int32 edge = 19 * g.cellSize + 2;
    fill(dc, 0, 0, std::min(g.boardAreaWidth, edge), std::min(g.boardAreaHeight, edge), g.yellowBrush);
    if (g.freeMode != 0) {
        // The free-mode mark: a small right-angled triangle in the bottom-right corner.
        int32 w = g.boardAreaWidth, s = g.statusBottom;
        POINT pts[4] = {{w, s}, {w - 6, s}, {w, s - 6}, {w, s}};
        SelectObject(dc, g.redPen);
        Polyline(dc, pts, 4);
    }
}

void drawPoint(const GameContext& g, HDC dc, int32 col, int32 row)
{
    if (stoneColour(g.stoneGrid[col][row]) != 0)
        drawStone(g, dc, col, row);
    else
        drawEmptyPoint(g, dc, col, row);
}

void drawEmptyPoint(const GameContext& g, HDC dc, int32 col, int32 row)
{
    int32 cx = pointCenterX(g, col), cy = pointCenterY(g, row), r = g.stoneRadius;
    fill(dc, cx - r, cy - r, cx + r, cy + r, g.yellowBrush);
    SelectObject(dc, g.freeMode != 0 ? g.magentaPen : g.blackPen);
    if (col > 0 && row > 0) {
        // Segments end at the point on lines 1 and 19 only, so a partial view
        // reads as a cut-out of a larger board.
        int32 top = row == 1 ? cy : cy - r - 1;
        int32 bottom = row == 19 ? cy : cy + r + 1;
        segment(dc, cx, top, cx, bottom);
        int32 left = col == 1 ? cx : cx - r - 1;
        int32 right = col == 19 ? cx : cx + r + 1;
        segment(dc, left, cy, right, cy);
    }
    SelectObject(dc, g.blackPen);
    if (isStarLine(col) && isStarLine(row)) drawStarPoint(g, dc, col, row);
}

void drawStone(const GameContext& g, HDC dc, int32 col, int32 row)
{
    drawEmptyPoint(g, dc, col, row);
    int32 s = stoneColour(g.stoneGrid[col][row]);
    if (s == 0) return;
    int32 cx = pointCenterX(g, col), cy = pointCenterY(g, row), r = g.stoneRadius;
    SelectObject(dc, g.blackPen);
    SelectObject(dc, s == 1 ? g.blackBrush : g.whiteBrush);
    Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
}

void drawStarPoint(const GameContext& g, HDC dc, int32 col, int32 row)
{
    int32 cx = pointCenterX(g, col), cy = pointCenterY(g, row), r = g.stoneRadius;
    SelectObject(dc, g.blueBrush);
    if (r < 4)
        Ellipse(dc, cx - 1, cy - 1, cx + 1, cy + 1);
    else if (r == 4)
        Ellipse(dc, cx - 1, cy - 1, cx + 2, cy + 2);
    else
        Ellipse(dc, cx - 2, cy - 2, cx + 2, cy + 2);
}

void drawLastMoveDot(const GameContext& g, HDC dc, int32 col, int32 row)
{
    if (col < 1 || col > g.visibleCols || row < 1 || row > g.visibleRows) return;
    int32 cx = pointCenterX(g, col), cy = pointCenterY(g, row);
    SelectObject(dc, g.redBrush);
    Ellipse(dc, cx - 2, cy - 2, cx + 2, cy + 2);
}

void drawHintMarker(const GameContext& g, HDC dc, int32 col, int32 row)
{
    if (col < 1 || col > g.visibleCols || row < 1 || row > g.visibleRows) return;
    if (stoneColour(g.stoneGrid[col][row]) != 0) return;
    int32 cx = pointCenterX(g, col), cy = pointCenterY(g, row), r = g.stoneRadius;
    SelectObject(dc, g.greenBrush);
    Ellipse(dc, cx - r + 1, cy - r + 1, cx + r - 1, cy + r - 1);
}

void drawHighlightBox(const GameContext& g, HDC dc)
{
    int32 cx = pointCenterX(g, g.highlightCol), cy = pointCenterY(g, g.highlightRow), r = g.stoneRadius;
    // Down the left side, along the bottom, up the right side, back along the top.
    POINT pts[5] = {
        {cx - r, cy - r}, {cx - r, cy + r - 1}, {cx + r - 1, cy + r - 1}, {cx + r - 1, cy - r}, {cx - r, cy - r}};
    SelectObject(dc, g.redPen);
    Polyline(dc, pts, 5);
}

void eraseHighlightBox(const GameContext& g)
{
    if (!isOnBoard(g, g.highlightCol, g.highlightRow)) return;
    WindowDC dc(g);
    drawPoint(g, dc, g.highlightCol, g.highlightRow);
}

void moveHighlightBox(GameContext& g, int32 col, int32 row)
{
    int32 oldCol = g.highlightCol, oldRow = g.highlightRow;
    g.highlightCol = col;
    g.highlightRow = row;
    WindowDC dc(g);
    drawPoint(g, dc, oldCol, oldRow);
    drawHighlightBox(g, dc);
}

void clearStatusStrip(const GameContext& g)
{
    if (!g.solvedFlag && !g.failedFlag && !g.variationPending) return;
    RECT strip = statusStripRect(g);
    InvalidateRect(g.mainWindow, &strip, FALSE);
}

void showStatusText(const GameContext& g, const WCHAR* text)
{
    WindowDC dc(g);
    RECT strip = statusStripRect(g);
    DrawTextW(dc, text, -1, &strip, DT_CENTER);
}
