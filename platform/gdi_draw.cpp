// Drawing on the framebuffer: rectangles, ellipses, polylines, single pixels.
// Coordinates are the context's client coordinates; a rectangle's right and
// bottom edges are excluded; everything is clipped to the context.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/internal.h"

// Writes the part of [x0, x1) on row y that no occluder from `index` on covers.
void spanOutside(DeviceContext* dc, int y, int x0, int x1, uint32_t pixel, size_t index)
{
    for (; index < dc->occluders.size(); ++index) {
        const RECT& o = dc->occluders[index];
        if (y < o.top || y >= o.bottom || x1 <= o.left || x0 >= o.right) continue;
        if (x0 < o.left) spanOutside(dc, y, x0, o.left, pixel, index + 1);
        if (x1 > o.right) spanOutside(dc, y, o.right, x1, pixel, index + 1);
        return;
    }
    fillRow(dc->pixels + size_t(y) * size_t(dc->stride) + x0, x1 - x0, pixel);
}

namespace {

// Boxes bigger than this are refused: the ellipse arithmetic stays in 64 bits.
constexpr long kMaxExtent = 1 << 15;

bool sane(long left, long top, long right, long bottom)
{
    return right - left < kMaxExtent && bottom - top < kMaxExtent && left > -kMaxExtent * 4 && top > -kMaxExtent * 4 &&
           right < kMaxExtent * 4 && bottom < kMaxExtent * 4;
}

}  // namespace

void fillScreenRect(DeviceContext* dc, RECT r, uint32_t pixel)
{
    r = intersectRect(r, dc->clip);
    if (dc->occluders.empty()) {
        const size_t stride = size_t(dc->stride);
        uint32_t* p = dc->pixels + size_t(r.top) * stride + r.left;
        const int n = r.right - r.left;
        if (n >= 8 && n <= 16) {
            // Narrow rectangles (a board point): two blocks of eight cover each row.
            for (int y = r.top; y < r.bottom; ++y, p += stride) {
                for (int i = 0; i < 8; ++i) p[i] = pixel;
                for (int i = n - 8; i < n; ++i) p[i] = pixel;
            }
            return;
        }
        for (int y = r.top; y < r.bottom; ++y, p += stride) fillRow(p, n, pixel);
    } else {
        for (int y = r.top; y < r.bottom; ++y) spanOutside(dc, y, r.left, r.right, pixel, 0);
    }
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    if (!readyDC(hdc) || !rect || !liveGdi(brush) || brush->kind != GdiKind::Brush) return 0;
    if (brush->hollow) return 1;
    if (!sane(rect->left, rect->top, rect->right, rect->bottom)) return 0;
    fillScreenRect(hdc, offsetRect(*rect, hdc->originX, hdc->originY), brush->pixel);
    return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom)
{
    if (!readyDC(hdc) || !sane(left, top, right, bottom)) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom) return TRUE;
    RECT box = offsetRect(RECT{left, top, right, bottom}, hdc->originX, hdc->originY);
    const GdiObject* pen = hdc->pen;
    const GdiObject* brush = hdc->brush;
    if (pen->hollow) {
        if (!brush->hollow) fillScreenRect(hdc, box, brush->pixel);
        return TRUE;
    }
    if (!brush->hollow)
        fillScreenRect(hdc, RECT{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, brush->pixel);
    fillScreenRect(hdc, RECT{box.left, box.top, box.right, box.top + 1}, pen->pixel);
    fillScreenRect(hdc, RECT{box.left, box.bottom - 1, box.right, box.bottom}, pen->pixel);
    fillScreenRect(hdc, RECT{box.left, box.top, box.left + 1, box.bottom}, pen->pixel);
    fillScreenRect(hdc, RECT{box.right - 1, box.top, box.right, box.bottom}, pen->pixel);
    return TRUE;
}

// The ellipse inscribed in a w x h box holds the pixels whose centres lie in
// it: with the centre offsets X = 2i + 1 - w and Y = 2j + 1 - h (half pixels),
// pixel (i, j) is inside when X²h² + Y²w² <= w²h².  Every row of the shape is
// one span, symmetric about the box's centre, so the shape is symmetric left to
// right and top to bottom.  The outline is made of the shape's pixels that have
// a horizontal or vertical neighbour outside it; the rest is the inside.
namespace {

struct Span {
    int from, to;  // pixel offsets from the box's left edge; from > to: empty row
};

Span ellipseRow(long w, long h, long j)
{
    if (j < 0 || j >= h) return {1, 0};
    const long long Y = 2 * j + 1 - h;
    const long long limit = (long long)w * w * h * h - Y * Y * w * w;
    // The middle rows reach the box's left and right edges and the top and
    // bottom rows keep at least their middle pixels, so that even a thin box
    // is touched on all four sides.
    if (Y >= -1 && Y <= 1) return {0, int(w - 1)};
    const Span middle{int((w - 1) / 2), int(w / 2)};
    if (limit < 0) return middle;
    // Largest |X| of the right parity (X ≡ w - 1 mod 2) with X²h² <= limit.
    long long x = (long long)std::sqrt(double(limit) / double(h * h));
    while (x > 0 && x * x * h * h > limit) --x;
    while ((x + 1) * (x + 1) * h * h <= limit) ++x;
    if ((x & 1) != ((w - 1) & 1)) --x;
    if (x < 0) return middle;
    // X = 2i + 1 - w  =>  i = (X + w - 1) / 2
    const int right = int((x + w - 1) / 2);
    return {int(w - 1 - right), right};
}

// One row of an ellipse: the shape's span and, within it, the inside span
// (empty when inFrom > inTo); the rest of the shape's span is outline.
struct EllipseRow {
    Span shape;
    int inFrom, inTo;
};

// Inside: below a pixel of the row above and above one of the row below, and
// not at either end of its own row.
EllipseRow withInside(Span s, Span up, Span down)
{
    EllipseRow r{s, 1, 0};
    if (s.from > s.to || up.from > up.to || down.from > down.to) return r;
    r.inFrom = std::max({s.from + 1, up.from, down.from});
    r.inTo = std::min({s.to - 1, up.to, down.to});
    return r;
}

// The rows first .. last - 1 of the ellipse in a w x h box, such that
// rows[j - first] is row j.  The shapes of the last few box sizes are kept,
// since the board draws the same few sizes over and over.
const EllipseRow* ellipseRows(long w, long h, long first, long last, std::vector<EllipseRow>& own)
{
    auto compute = [&](long from, long to, std::vector<EllipseRow>& out) {
        out.resize(size_t(to - from));
        Span up = ellipseRow(w, h, from - 1), row = ellipseRow(w, h, from);
        for (long j = from; j < to; ++j) {
            const Span down = ellipseRow(w, h, j + 1);
            out[size_t(j - from)] = withInside(row, up, down);
            up = row;
            row = down;
        }
    };
    struct Shape {
        long w = 0, h = 0;
        std::vector<EllipseRow> rows;
    };
    constexpr long kCachedHeight = 256;
    constexpr int kCached = 6;
    static auto* cache = new Shape[kCached];
    static int next = 0;
    if (h > kCachedHeight) {
        compute(first, last, own);
        return own.data();
    }
    for (int i = 0; i < kCached; ++i)
        if (cache[i].w == w && cache[i].h == h) return cache[i].rows.data() + first;
    Shape& shape = cache[next];
    next = (next + 1) % kCached;
    shape.w = w;
    shape.h = h;
    compute(0, h, shape.rows);
    return shape.rows.data() + first;
}

// A small ellipse drawn with a solid pen and brush, kept as pixels: each row
// of the shape is then one copy.  The board draws a handful of these (stones,
// star points, the last-move dot) hundreds of times over.
constexpr long kSpriteExtent = 64;

struct Sprite {
    long w = 0, h = 0;
    uint32_t pen = 0, brush = 0;
    std::vector<Span> rows;        // the shape's span of each row
    std::vector<uint32_t> pixels;  // w x h, rows top to bottom
};

const Sprite& ellipseSprite(long w, long h, uint32_t pen, uint32_t brush)
{
    constexpr int kSprites = 8;
    static auto* cache = new Sprite[kSprites];
    static int next = 0, recent = 0;
    for (int k = 0; k < kSprites; ++k) {
        const int i = (recent + k) % kSprites;
        const Sprite& s = cache[i];
        if (s.w == w && s.h == h && s.pen == pen && s.brush == brush) {
            recent = i;
            return s;
        }
    }
    Sprite& s = cache[next];
    recent = next;
    next = (next + 1) % kSprites;
    s.w = w;
    s.h = h;
    s.pen = pen;
    s.brush = brush;
    std::vector<EllipseRow> own;
    const EllipseRow* rows = ellipseRows(w, h, 0, h, own);
    s.rows.resize(size_t(h));
    s.pixels.assign(size_t(w * h), 0);
    for (long j = 0; j < h; ++j) {
        const EllipseRow& r = rows[j];
        s.rows[size_t(j)] = r.shape;
        uint32_t* p = s.pixels.data() + j * w;
        for (int x = r.shape.from; x <= r.shape.to; ++x) p[x] = x >= r.inFrom && x <= r.inTo ? brush : pen;
    }
    return s;
}

// Copies n pixels, in blocks like fillRow.
inline void copyRow(uint32_t* to, const uint32_t* from, int n)
{
    if (n >= 8) {
        for (int i = 0; i + 8 < n; i += 8) std::memcpy(to + i, from + i, 8 * sizeof(uint32_t));
        std::memcpy(to + n - 8, from + n - 8, 8 * sizeof(uint32_t));
    } else if (n >= 4) {
        std::memcpy(to, from, 4 * sizeof(uint32_t));
        std::memcpy(to + n - 4, from + n - 4, 4 * sizeof(uint32_t));
    } else if (n > 0) {
        to[0] = from[0];
        to[n >> 1] = from[n >> 1];
        to[n - 1] = from[n - 1];
    }
}

}  // namespace

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom)
{
    if (!readyDC(hdc) || !sane(left, top, right, bottom)) return FALSE;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const long w = right - left, h = bottom - top;
    if (w == 0 || h == 0) return TRUE;
    const int x0 = left + hdc->originX, y0 = top + hdc->originY;
    const GdiObject* pen = hdc->pen;
    const GdiObject* brush = hdc->brush;
    const RECT& c = hdc->clip;
    const long first = std::max<long>(0, c.top - y0);
    const long last = std::min<long>(h, c.bottom - y0);
    if (first >= last) return TRUE;
    const bool direct = hdc->occluders.empty() && x0 >= c.left && x0 + w <= c.right;
    if (direct && !pen->hollow && !brush->hollow && w <= kSpriteExtent && h <= kSpriteExtent) {
        const Sprite& s = ellipseSprite(w, h, pen->pixel, brush->pixel);
        const size_t stride = size_t(hdc->stride);
        uint32_t* row = hdc->pixels + size_t(y0 + first) * stride + x0;
        const uint32_t* image = s.pixels.data() + first * w;
        for (long j = first; j < last; ++j, row += stride, image += w) {
            const Span& r = s.rows[size_t(j)];
            copyRow(row + r.from, image + r.from, r.to + 1 - r.from);
        }
        return TRUE;
    }
    std::vector<EllipseRow> own;
    const EllipseRow* rows = ellipseRows(w, h, first, last, own);
    // Wholly visible and both pen and brush drawing: straight into the
    // framebuffer, outline and inside of each row in one go.
    if (direct && !pen->hollow && !brush->hollow) {
        const size_t stride = size_t(hdc->stride);
        uint32_t* row = hdc->pixels + size_t(y0 + first) * stride + x0;
        for (long j = first; j < last; ++j, row += stride) {
            const EllipseRow& r = rows[j - first];
            if (r.shape.from > r.shape.to) continue;
            if (r.inFrom > r.inTo) {
                fillRow(row + r.shape.from, r.shape.to + 1 - r.shape.from, pen->pixel);
            } else {
                fillRow(row + r.shape.from, r.inFrom - r.shape.from, pen->pixel);
                fillRow(row + r.inFrom, r.inTo + 1 - r.inFrom, brush->pixel);
                fillRow(row + r.inTo + 1, r.shape.to - r.inTo, pen->pixel);
            }
        }
        return TRUE;
    }
    for (long j = first; j < last; ++j) {
        const EllipseRow& r = rows[j - first];
        if (r.shape.from > r.shape.to) continue;
        const int y = y0 + int(j);
        auto span = [&](int from, int to, const GdiObject* o) {  // [from, to) of the box's row
            if (from >= to || o->hollow) return;
            if (direct)
                fillRow(hdc->pixels + size_t(y) * size_t(hdc->stride) + x0 + from, to - from, o->pixel);
            else
                fillSpan(hdc, y, x0 + from, x0 + to, o->pixel);
        };
        if (pen->hollow) {
            span(r.shape.from, r.shape.to + 1, brush);
        } else if (r.inFrom > r.inTo) {
            span(r.shape.from, r.shape.to + 1, pen);
        } else {
            span(r.shape.from, r.inFrom, pen);
            span(r.inFrom, r.inTo + 1, brush);
            span(r.inTo + 1, r.shape.to + 1, pen);
        }
    }
    return TRUE;
}

// Bresenham's line from (x0, y0) towards (x1, y1), the end point left out.
static void drawSegment(DeviceContext* dc, int x0, int y0, int x1, int y1, uint32_t pixel)
{
    // Level and upright segments are spans.
    if (y0 == y1) {
        if (x0 < x1)
            fillSpan(dc, y0, x0, x1, pixel);
        else if (x1 < x0)
            fillSpan(dc, y0, x1 + 1, x0 + 1, pixel);
        return;
    }
    if (x0 == x1) {
        const RECT& c = dc->clip;
        if (x0 < c.left || x0 >= c.right) return;
        const int from = std::max(y0 < y1 ? y0 : y1 + 1, int(c.top));
        const int to = std::min(y0 < y1 ? y1 : y0 + 1, int(c.bottom));
        if (dc->occluders.empty()) {
            const size_t stride = size_t(dc->stride);
            uint32_t* p = dc->pixels + size_t(from) * stride + size_t(x0);
            for (int y = from; y < to; ++y, p += stride) *p = pixel;
        } else {
            for (int y = from; y < to; ++y) spanOutside(dc, y, x0, x0 + 1, pixel, 0);
        }
        return;
    }
    const long dx = std::labs(long(x1) - x0), dy = std::labs(long(y1) - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    long x = x0, y = y0;
    if (dx >= dy) {
        long err = 2 * dy - dx;
        for (long n = 0; n < dx; ++n) {
            putPixel(dc, int(x), int(y), pixel);
            if (err > 0) {
                y += sy;
                err -= 2 * dx;
            }
            err += 2 * dy;
            x += sx;
        }
    } else {
        long err = 2 * dx - dy;
        for (long n = 0; n < dy; ++n) {
            putPixel(dc, int(x), int(y), pixel);
            if (err > 0) {
                x += sx;
                err -= 2 * dy;
            }
            err += 2 * dx;
            y += sy;
        }
    }
}

BOOL Polyline(HDC hdc, const POINT* points, int count)
{
    if (!readyDC(hdc) || !points || count < 2) return FALSE;
    if (count == 2 && hdc->occluders.empty() && !hdc->pen->hollow &&
        sane(points[0].x, points[0].y, points[0].x, points[0].y) &&
        sane(points[1].x, points[1].y, points[1].x, points[1].y)) {
        // One level or upright segment wholly inside the clip (the board's
        // grid lines): a span or a column, straight into the framebuffer.
        const RECT& c = hdc->clip;
        const int ax = points[0].x + hdc->originX, ay = points[0].y + hdc->originY;
        const int bx = points[1].x + hdc->originX, by = points[1].y + hdc->originY;
        if ((ax == bx || ay == by) && ax >= c.left && bx >= c.left && ax < c.right && bx < c.right && ay >= c.top &&
            by >= c.top && ay < c.bottom && by < c.bottom) {
            const size_t stride = size_t(hdc->stride);
            const uint32_t pixel = hdc->pen->pixel;
            if (ay == by) {
                // Left to right or right to left, the end point left out.
                const int from = ax <= bx ? ax : bx + 1, to = ax <= bx ? bx : ax + 1;
                fillRow(hdc->pixels + size_t(ay) * stride + from, to - from, pixel);
            } else {
                const int from = ay < by ? ay : by + 1, to = ay < by ? by : ay + 1;
                uint32_t* p = hdc->pixels + size_t(from) * stride + size_t(ax);
                for (int y = from; y < to; ++y, p += stride) *p = pixel;
            }
            return TRUE;
        }
    }
    for (int i = 0; i < count; ++i)
        if (!sane(points[i].x, points[i].y, points[i].x, points[i].y)) return FALSE;
    if (hdc->pen->hollow) return TRUE;
    const uint32_t pixel = hdc->pen->pixel;
    for (int i = 0; i + 1 < count; ++i) {
        const RECT c = hdc->clip;
        int ax = points[i].x + hdc->originX, ay = points[i].y + hdc->originY;
        int bx = points[i + 1].x + hdc->originX, by = points[i + 1].y + hdc->originY;
        // A segment wholly beside the clip rectangle draws nothing.
        if ((ax < c.left && bx < c.left) || (ax >= c.right && bx >= c.right) || (ay < c.top && by < c.top) ||
            (ay >= c.bottom && by >= c.bottom))
            continue;
        drawSegment(hdc, ax, ay, bx, by, pixel);
    }
    return TRUE;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    constexpr COLORREF kInvalid = 0xFFFFFFFF;
    if (!readyDC(hdc)) return kInvalid;
    const long sx = long(x) + hdc->originX, sy = long(y) + hdc->originY;
    const RECT& c = hdc->clip;
    if (sx < c.left || sx >= c.right || sy < c.top || sy >= c.bottom) return kInvalid;
    return colourOfPixel(framebuffer()[size_t(sy) * size_t(screenWidth()) + size_t(sx)]);
}
