#include "platform/desktop/panel.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>

namespace {

struct Glyph {
    uint32_t code;
    int width;
    uint16_t rows[16];
};

const Glyph kSubset[] = {
#include "platform/font_glyphs.inc"
};

constexpr uint32_t kBackground = 0x202428;
constexpr uint32_t kInk = 0xF0F0F0;
constexpr int kMargin = 4;

// unifont.hex: "XXXX:HEX" per line, 32 hex digits for an 8-wide glyph, 64
// for a 16-wide one.
class Unifont {
public:
    const Glyph* find(uint32_t code)
    {
        if (!loaded_) load();
        auto it = glyphs_.find(code);
        return it == glyphs_.end() ? nullptr : &it->second;
    }

private:
    void load()
    {
        loaded_ = true;
        const char* path = std::getenv("VOSTRA_UNIFONT");
        std::ifstream in(path && *path ? path : "/usr/share/unifont/unifont.hex");
        for (std::string line; std::getline(in, line);) {
            const size_t colon = line.find(':');
            if (colon == std::string::npos || colon > 6) continue;
            const std::string bits = line.substr(colon + 1);
            if (bits.size() < 32) continue;
            Glyph g{};
            g.code = uint32_t(std::strtoul(line.substr(0, colon).c_str(), nullptr, 16));
            g.width = bits.size() >= 64 ? 16 : 8;
            const int digits = g.width / 4;
            for (int r = 0; r < 16; ++r)
                g.rows[r] =
                    uint16_t(std::strtoul(bits.substr(size_t(r * digits), size_t(digits)).c_str(), nullptr, 16));
            glyphs_[g.code] = g;
        }
    }

    bool loaded_ = false;
    std::unordered_map<uint32_t, Glyph> glyphs_;
};

const Glyph* findGlyph(uint32_t code)
{
    const Glyph* end = kSubset + std::size(kSubset);
    const Glyph* g = std::lower_bound(kSubset, end, code, [](const Glyph& a, uint32_t c) { return a.code < c; });
    if (g != end && g->code == code) return g;
    static Unifont unifont;
    return unifont.find(code);
}

// Wide characters (CJK and the like) take 16 pixels, others 8.
int glyphWidth(uint32_t code)
{
    if (const Glyph* g = findGlyph(code)) return g->width;
    return code >= 0x1100 ? 16 : 8;
}

std::vector<uint32_t> codePoints(const std::string& s)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= s.size() + (extra == 0)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : c & (0x3Fu >> extra);
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + size_t(k)]) & 0x3F);
        out.push_back(cp);
        i += size_t(extra) + 1;
    }
    return out;
}

// The text broken into lines that fit width pixels: at spaces where there
// are any, anywhere in a run without them (as Chinese is written).
std::vector<std::vector<uint32_t>> wrap(const std::vector<uint32_t>& text, int width)
{
    std::vector<std::vector<uint32_t>> lines(1);
    int used = 0;
    size_t lastSpace = std::string::npos;  // in the current line
    for (uint32_t c : text) {
        std::vector<uint32_t>& line = lines.back();
        if (c == '\n') {
            lines.emplace_back();
            used = 0;
            lastSpace = std::string::npos;
            continue;
        }
        if (c == ' ' && line.empty()) continue;
        const int w = glyphWidth(c);
        if (used + w > width && !line.empty()) {
            std::vector<uint32_t> carry;
            if (c != ' ' && lastSpace != std::string::npos && lastSpace + 1 < line.size()) {
                carry.assign(line.begin() + std::ptrdiff_t(lastSpace) + 1, line.end());
                line.resize(lastSpace);
            }
            lines.push_back(carry);
            used = 0;
            for (uint32_t k : lines.back()) used += glyphWidth(k);
            lastSpace = std::string::npos;
            if (c == ' ') continue;
        }
        if (c == ' ') lastSpace = lines.back().size();
        lines.back().push_back(c);
        used += w;
    }
    return lines;
}

void drawGlyph(std::vector<uint32_t>& px, int stride, int x, int y, uint32_t code)
{
    const Glyph* g = findGlyph(code);
    const int w = g ? g->width : glyphWidth(code);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < w; ++c) {
            bool on;
            if (g)
                on = (g->rows[r] >> (w - 1 - c)) & 1;
            else
                on = (r == 2 || r == 13 || c == 1 || c == w - 2) && r >= 2 && r <= 13 && c >= 1 && c <= w - 2;
            const int X = x + c, Y = y + r;
            if (on && X >= 0 && X < stride && Y >= 0 && Y < kPanelHeight)
                px[size_t(Y) * size_t(stride) + size_t(X)] = kInk;
        }
    }
}

}  // namespace

void drawPanel(std::vector<uint32_t>& pixels, int width, const std::string& utf8)
{
    pixels.assign(size_t(width) * kPanelHeight, kBackground);
    std::vector<std::vector<uint32_t>> lines = wrap(codePoints(utf8), width - 2 * kMargin);
    if (lines.size() > size_t(kPanelLines)) {
        lines.resize(kPanelLines);
        std::vector<uint32_t>& last = lines.back();
        int used = 0;
        for (uint32_t c : last) used += glyphWidth(c);
        while (!last.empty() && used + 8 > width - 2 * kMargin) {
            used -= glyphWidth(last.back());
            last.pop_back();
        }
        last.push_back(0x2026);
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        int x = kMargin;
        for (uint32_t c : lines[i]) {
            drawGlyph(pixels, width, x, kMargin + int(i) * 16, c);
            x += glyphWidth(c);
        }
    }
}
