// Brushes, pens and the one font: creation, stock objects, selection, deletion.
#include <unordered_set>

#include "platform/gdi_count.h"
#include "platform/internal.h"

namespace {

// Objects created by the program and not yet deleted.  Kept on the heap and
// never destroyed, so that deletions made by static destructors at exit still
// find it.
std::unordered_set<GdiObject*>& liveObjects() {
    static auto* set = new std::unordered_set<GdiObject*>;
    return *set;
}

GdiObject stockTable[] = {
    {GdiKind::Brush, true, false, RGB(255, 255, 255), 0},  // WHITE_BRUSH
    {GdiKind::Brush, true, false, RGB(192, 192, 192), 0},  // LTGRAY_BRUSH
    {GdiKind::Brush, true, false, RGB(128, 128, 128), 0},  // GRAY_BRUSH
    {GdiKind::Brush, true, false, RGB(64, 64, 64), 0},     // DKGRAY_BRUSH
    {GdiKind::Brush, true, false, RGB(0, 0, 0), 0},        // BLACK_BRUSH
    {GdiKind::Brush, true, true, RGB(0, 0, 0), 0},         // NULL_BRUSH
    {GdiKind::Pen, true, false, RGB(255, 255, 255), 0},    // WHITE_PEN
    {GdiKind::Pen, true, false, RGB(0, 0, 0), 0},          // BLACK_PEN
    {GdiKind::Pen, true, true, RGB(0, 0, 0), 0},           // NULL_PEN
};
GdiObject systemFont = {GdiKind::Font, true, false, 0, 0};

GdiObject* newObject(GdiKind kind, bool hollow, COLORREF colour) {
    auto* o = new GdiObject{kind, false, hollow, colour & 0xFFFFFF, pixelOf(colour)};
    liveObjects().insert(o);
    return o;
}

bool isStock(const GdiObject* o) {
    return o == &systemFont || (o >= stockTable && o < stockTable + std::size(stockTable));
}

}  // namespace

GdiObject* stockObject(int index) {
    if (index >= WHITE_BRUSH && index <= NULL_PEN) {
        GdiObject* o = &stockTable[index];
        o->pixel = pixelOf(o->colour);
        return o;
    }
    if (index == SYSTEM_FONT) return &systemFont;
    return nullptr;
}

int liveGdiObjectCount() { return int(liveObjects().size()); }

HBRUSH CreateSolidBrush(COLORREF colour) { return newObject(GdiKind::Brush, false, colour); }

HPEN CreatePen(int style, int width, COLORREF colour) {
    // Only one-pixel pens exist here; any width draws one pixel wide.
    if (style == PS_NULL) return newObject(GdiKind::Pen, true, colour);
    if (style != PS_SOLID) {
        SetLastError(87);  // ERROR_INVALID_PARAMETER
        return nullptr;
    }
    return newObject(GdiKind::Pen, false, colour);
}

HGDIOBJ GetStockObject(int index) { return stockObject(index); }

static bool usable(GdiObject* o) { return o && (isStock(o) || liveObjects().count(o)); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    if (!validDC(hdc) || !usable(object)) return nullptr;
    GdiObject** slot = object->kind == GdiKind::Brush ? &hdc->brush
                       : object->kind == GdiKind::Pen ? &hdc->pen
                                                      : &hdc->font;
    GdiObject* previous = *slot;
    *slot = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (!object) return FALSE;
    if (isStock(object)) return TRUE;  // stock objects are never deleted
    auto& live = liveObjects();
    auto it = live.find(object);
    if (it == live.end()) return FALSE;
    live.erase(it);
    delete object;
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour) {
    if (!validDC(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->textColour;
    hdc->textColour = colour & 0xFFFFFF;
    return old;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour) {
    if (!validDC(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->bkColour;
    hdc->bkColour = colour & 0xFFFFFF;
    return old;
}

int SetBkMode(HDC hdc, int mode) {
    if (!validDC(hdc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = hdc->bkMode;
    hdc->bkMode = mode;
    return old;
}
