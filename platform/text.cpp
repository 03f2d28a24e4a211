// Text in the one bitmap font (8x16 and 16x16 glyphs from GNU Unifont).
// Characters the font lacks are drawn as boxes.
#include <algorithm>
#include <cwchar>

#include "platform/internal.h"

namespace {

struct Glyph {
    uint32_t code;
    uint8_t width;
    uint16_t rows[16];
};

const Glyph kGlyphs[] = {
#include "platform/font_glyphs.inc"
};

const Glyph* findGlyph(uint32_t code)
{
    const Glyph* end = kGlyphs + std::size(kGlyphs);
    const Glyph* g = std::lower_bound(kGlyphs, end, code, [](const Glyph& a, uint32_t c) { return a.code < c; });
    return g != end && g->code == code ? g : nullptr;
}

// East Asian characters take two cells, everything else one.
bool wideCharacter(uint32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6);
}

int glyphWidth(uint32_t c)
{
    if (const Glyph* g = findGlyph(c)) return g->width;
    return wideCharacter(c) ? 16 : 8;
}

// Draws one character cell with its top-left corner at (x, y), screen pixels.
void drawGlyph(DeviceContext* dc, int x, int y, uint32_t c, uint32_t fg, uint32_t bg, bool opaque)
{
    const Glyph* g = findGlyph(c);
    const int w = g ? g->width : glyphWidth(c);
    for (int row = 0; row < kFontHeight; ++row) {
        const int py = y + row;
        if (py < dc->clip.top || py >= dc->clip.bottom) continue;
        uint32_t bits;
        if (g) {
            bits = g->rows[row];
        } else {
            // A box one pixel inside the cell, as for an unknown character.
            const uint32_t full = ((1u << w) - 1) & ~1u & ~(1u << (w - 1));
            const uint32_t sides = (1u << (w - 2)) | 2u;
            bits = row == 1 || row == 14 ? full : (row > 1 && row < 14 ? sides : 0);
        }
        if (opaque) fillSpan(dc, py, x, x + w, bg);
        int col = 0;
        while (col < w) {
            if (!(bits & (1u << (w - 1 - col)))) {
                ++col;
                continue;
            }
            const int start = col;
            while (col < w && (bits & (1u << (w - 1 - col)))) ++col;
            fillSpan(dc, py, x + start, x + col, fg);
        }
    }
}

int lineWidth(const WCHAR* text, int n)
{
    int w = 0;
    for (int i = 0; i < n; ++i)
        if (text[i] != L'\r' && text[i] != L'\n') w += glyphWidth(uint32_t(text[i]));
    return w;
}

}  // namespace

bool fontHasGlyph(uint32_t code) { return findGlyph(code) != nullptr; }

int textWidth(const WCHAR* text, int length)
{
    if (!text) return 0;
    return lineWidth(text, length < 0 ? int(std::wcslen(text)) : length);
}

int drawTextRaw(DeviceContext* dc, const WCHAR* text, int length, const RECT* rect, UINT format)
{
    if (!readyDC(dc) || !text || !rect) return 0;
    const int n = length < 0 ? int(std::wcslen(text)) : length;
    const RECT box = offsetRect(*rect, dc->originX, dc->originY);
    // The text stays inside the rectangle: narrow the clip for the drawing.
    const RECT savedClip = dc->clip;
    dc->clip = intersectRect(dc->clip, box);

    // Lines end at '\n' unless the text is one line by request.
    std::vector<std::pair<int, int>> lines;  // start, length
    if (format & DT_SINGLELINE) {
        lines.push_back({0, n});
    } else {
        int start = 0;
        for (int i = 0; i <= n; ++i)
            if (i == n || text[i] == L'\n') {
                int end = i;
                if (end > start && text[end - 1] == L'\r') --end;
                lines.push_back({start, end - start});
                start = i + 1;
            }
    }
    const int height = kFontHeight * int(lines.size());
    int y = box.top;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = box.top + (box.bottom - box.top - kFontHeight) / 2;

    const uint32_t fg = pixelOf(dc->textColour);
    const uint32_t bg = pixelOf(dc->bkColour);
    const bool opaque = dc->bkMode == OPAQUE;
    for (const auto& [start, count] : lines) {
        const WCHAR* line = text + start;
        const int w = lineWidth(line, count);
        int x = box.left;
        if (format & DT_CENTER)
            x = box.left + (box.right - box.left - w) / 2;
        else if (format & DT_RIGHT)
            x = box.right - w;
        if (!emptyRect(dc->clip) && y + kFontHeight > dc->clip.top && y < dc->clip.bottom) {
            for (int i = 0; i < count; ++i) {
                const uint32_t c = uint32_t(line[i]);
                if (c == L'\r' || c == L'\n') continue;
                const int cw = glyphWidth(c);
                if (x + cw > dc->clip.left && x < dc->clip.right) drawGlyph(dc, x, y, c, fg, bg, opaque);
                x += cw;
            }
        }
        y += kFontHeight;
    }
    dc->clip = savedClip;
    return height;
}

int DrawTextW(HDC hdc, LPCWSTR text, int length, RECT* rect, UINT format)
{
    if (!validDC(hdc) || !text || !rect) return 0;
    if (hdc->window) {
        // The program draws its status texts this way; each one is an event.
        std::string line = toUtf8(text, length);
        for (char& ch : line)
            if (ch == '\n' || ch == '\r') ch = ' ';
        transcriptLine("status " + line);
    }
    return drawTextRaw(hdc, text, length, rect, format);
}
