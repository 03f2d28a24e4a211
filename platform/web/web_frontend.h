// The browser front-end.  The program's own entry function and message loop
// run unchanged: whenever the program waits for input or sleeps, the stack is
// put aside (Asyncify) and the browser gets control back, so it can show the
// screen, play sounds and deliver input.  The page (web/page.js, the global
// `vostraPage`) draws the framebuffer on its canvas, turns pointer and key
// events into the feed calls exported by web_frontend.cpp, plays the sounds
// and keeps the registry in localStorage.
#pragma once

#include <functional>

#include "platform/frontend.h"

// The device screen's size, as the page chose it from the viewport.
int pageScreenWidth();
int pageScreenHeight();

// The front-end for platformStart, created on the first call and kept as long
// as the page; it also puts the registry in the page's localStorage.  idle is
// called whenever the program is idle, before waiting for input.
FrontEnd* startWebFrontEnd(std::function<void()> idle);
// "zh" when the browser's language is Chinese, else "en".
const char* pageLanguage();
// The program has ended: shows its last screen and tells the page.
void webProgramEnded();
