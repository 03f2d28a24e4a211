// Where the device screen and the panel below it go in a desktop window of
// any size: the largest whole-number scale at which both fit, centred; a
// window too small for scale 1 gets them shrunk to fit.  Also the mapping of
// window positions back to screen pixels.
#pragma once

struct WindowFit {
    double scale = 1;  // window pixels per screen pixel
    double left = 0;   // the device screen's top-left corner in the window
    double top = 0;
    int screenWidth = 0, screenHeight = 0, panelHeight = 0;
};

WindowFit fitWindow(int windowWidth, int windowHeight, int screenWidth, int screenHeight, int panelHeight);

// The screen pixel under window position (x, y), clamped to the screen;
// false when the position lies outside the device screen.
bool windowToScreen(const WindowFit& fit, int x, int y, int& screenX, int& screenY);
