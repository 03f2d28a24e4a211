#include "platform/desktop/window_fit.h"

#include <algorithm>
#include <cmath>

WindowFit fitWindow(int windowWidth, int windowHeight, int screenWidth, int screenHeight, int panelHeight)
{
    WindowFit f;
    f.screenWidth = std::max(1, screenWidth);
    f.screenHeight = std::max(1, screenHeight);
    f.panelHeight = std::max(0, panelHeight);
    const int totalHeight = f.screenHeight + f.panelHeight;
    const int whole = std::min(windowWidth / f.screenWidth, windowHeight / totalHeight);
    f.scale = whole >= 1
                  ? whole
                  : std::max(0.01, std::min(double(windowWidth) / f.screenWidth, double(windowHeight) / totalHeight));
    f.left = std::floor((windowWidth - f.screenWidth * f.scale) / 2);
    f.top = std::floor((windowHeight - totalHeight * f.scale) / 2);
    f.left = std::max(0.0, f.left);
    f.top = std::max(0.0, f.top);
    return f;
}

bool windowToScreen(const WindowFit& f, int x, int y, int& screenX, int& screenY)
{
    const double sx = std::floor((x - f.left) / f.scale), sy = std::floor((y - f.top) / f.scale);
    const bool inside = sx >= 0 && sy >= 0 && sx < f.screenWidth && sy < f.screenHeight;
    screenX = int(std::clamp(sx, 0.0, double(f.screenWidth - 1)));
    screenY = int(std::clamp(sy, 0.0, double(f.screenHeight - 1)));
    return inside;
}
