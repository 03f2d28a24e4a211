// The desktop window: the device screen (title bar, the program's window,
// menu bar) shown scaled in an SDL window, with the caption panel below it;
// the window may be resized and both keep the largest whole-number scale that
// fits (window_fit.h).  The mouse is the pen, keys are the device's keys,
// closing the window closes the program, and the sounds play through SDL
// audio.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/frontend.h"

// What the window asks of the program beyond the platform.
struct DesktopHooks {
    // Files and folders dropped on the window; true when the program got
    // something to do.
    std::function<bool(const std::vector<std::string>& paths)> openPaths;
    // The title's text after "Vostra — ", "" for the plain name.
    std::function<std::string()> statusLine;
    // Called whenever the program is idle: true when the caption under the
    // screen changed, with its new text in caption.
    std::function<bool(std::string& caption)> followCaption;
};

// Sets SDL up on the display; the front-end to start the platform with (kept
// for the life of the process), or null with a message on standard error
// when there is no display to show a window on.
FrontEnd* openDesktop(int scale, DesktopHooks hooks);
// After the program has ended with exitStatus: the status to exit with (1
// when the window could not be opened).
int closeDesktop(int exitStatus);
