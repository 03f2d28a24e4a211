// The text panel below the device screen in the desktop window: the caption
// (the problem's title and goal, the comments of the nodes played) drawn in
// the device's bitmap font, wrapped to the screen's width.
//
// Comments may hold any character, more than the program's own font subset
// covers: the panel reads GNU Unifont's unifont.hex (VOSTRA_UNIFONT names
// the file, else /usr/share/unifont/unifont.hex) the first time it needs a
// glyph the subset lacks, and draws a box for characters found in neither.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Height of the panel in screen pixels: five lines of text and a margin.
constexpr int kPanelLines = 5;
constexpr int kPanelHeight = kPanelLines * 16 + 8;

// Draws text into pixels (width x kPanelHeight, 0x00RRGGBB).  Lines past the
// panel's end are cut, the last one shown ending in an ellipsis.
void drawPanel(std::vector<uint32_t>& pixels, int width, const std::string& utf8);
