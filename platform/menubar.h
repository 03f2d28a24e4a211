// The menu bar: a strip of soft keys across the bottom of the screen, built
// by SHCreateMenuBar from a MenuBarTemplate, with the pop-up menu of its
// drop-down button opening above it.  Its geometry, for front-ends and tests.
#pragma once

#include <string>
#include <vector>

#include "platform/win.h"

// Pop-up menu items are this tall; the check mark column is this wide.
constexpr int kMenuItemHeight = 20;
constexpr int kMenuCheckWidth = 18;
constexpr int kMenuTextRight = 10;  // space right of the longest text

// Colours of the menu bar and the pop-up menu (0x00RRGGBB).
constexpr uint32_t kMenuBarFace = 0xE4E4E4;
constexpr uint32_t kMenuBarEdge = 0x808080;
constexpr uint32_t kMenuText = 0x000000;
constexpr uint32_t kMenuHighlight = 0x1F3A73;
constexpr uint32_t kMenuHighlightText = 0xFFFFFF;
constexpr uint32_t kMenuBackground = 0xFFFFFF;
constexpr uint32_t kMenuFrame = 0x404040;

// The visible menu bar, or null.
HWND activeMenuBar();
// Screen rectangles of the menu bar's buttons, left to right (empty when
// there is no menu bar).
std::vector<RECT> menuBarButtonRects(HWND menuBar);
// The buttons' labels, left to right.
std::vector<std::wstring> menuBarLabels(HWND menuBar);
// The open pop-up menu, or null; its items' screen rectangles.
HWND openPopupMenu();
std::vector<RECT> popupItemRects(HWND popup);
