// Brushes, pens and the one font: creation, stock objects, selection, deletion.
#include "platform/gdi_count.h"
#include "platform/internal.h"

#include <mutex>

namespace {

// Deleted objects are kept for reuse, never freed: a stale handle then still
// points at a record that says it is dead.  Kept on the heap and never
// destroyed, so that deletions made by static destructors at exit find it.
// The problem compiler creates and deletes objects on several threads at
// once (a layout context per thread), hence the lock.
struct ObjectStore {
    std::mutex lock;
    std::vector<GdiObject*> spare;
    int live = 0;
};
ObjectStore& store()
{
    static auto* s = new ObjectStore;
    return *s;
}

constexpr GdiObject stockEntry(GdiKind kind, bool hollow, COLORREF colour)
{
    return GdiObject{kLiveGdi, kind, true, hollow, colour, pixelOf(colour)};
}

GdiObject stockTable[] = {
    stockEntry(GdiKind::Brush, false, RGB(255, 255, 255)),  // WHITE_BRUSH
    stockEntry(GdiKind::Brush, false, RGB(192, 192, 192)),  // LTGRAY_BRUSH
    stockEntry(GdiKind::Brush, false, RGB(128, 128, 128)),  // GRAY_BRUSH
    stockEntry(GdiKind::Brush, false, RGB(64, 64, 64)),     // DKGRAY_BRUSH
    stockEntry(GdiKind::Brush, false, RGB(0, 0, 0)),        // BLACK_BRUSH
    stockEntry(GdiKind::Brush, true, RGB(0, 0, 0)),         // NULL_BRUSH
    stockEntry(GdiKind::Pen, false, RGB(255, 255, 255)),    // WHITE_PEN
    stockEntry(GdiKind::Pen, false, RGB(0, 0, 0)),          // BLACK_PEN
    stockEntry(GdiKind::Pen, true, RGB(0, 0, 0)),           // NULL_PEN
};
GdiObject systemFont = stockEntry(GdiKind::Font, false, 0);

GdiObject* newObject(GdiKind kind, bool hollow, COLORREF colour)
{
    ObjectStore& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    GdiObject* o;
    if (s.spare.empty()) {
        o = new GdiObject;
    } else {
        o = s.spare.back();
        s.spare.pop_back();
    }
    *o = GdiObject{kLiveGdi, kind, false, hollow, colour & 0xFFFFFF, pixelOf(colour)};
    ++s.live;
    return o;
}

}  // namespace

GdiObject* stockObject(int index)
{
    if (index >= WHITE_BRUSH && index <= NULL_PEN) return &stockTable[index];
    if (index == SYSTEM_FONT) return &systemFont;
    return nullptr;
}

int liveGdiObjectCount()
{
    ObjectStore& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.live;
}

HBRUSH CreateSolidBrush(COLORREF colour) { return newObject(GdiKind::Brush, false, colour); }

HPEN CreatePen(int style, int width, COLORREF colour)
{
    // Only one-pixel pens exist here; any width draws one pixel wide.
    if (style == PS_NULL) return newObject(GdiKind::Pen, true, colour);
    if (style != PS_SOLID) {
        SetLastError(87);  // ERROR_INVALID_PARAMETER
        return nullptr;
    }
    return newObject(GdiKind::Pen, false, colour);
}

HGDIOBJ GetStockObject(int index) { return stockObject(index); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    if (!validDC(hdc) || !liveGdi(object)) return nullptr;
    GdiObject** slot = object->kind == GdiKind::Brush ? &hdc->brush
                       : object->kind == GdiKind::Pen ? &hdc->pen
                                                      : &hdc->font;
    GdiObject* previous = *slot;
    *slot = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object)
{
    ObjectStore& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!liveGdi(object)) return FALSE;
    if (object->stock) return TRUE;  // stock objects are never deleted
    object->magic = 0;
    --s.live;
    s.spare.push_back(object);
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour)
{
    if (!validDC(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->textColour;
    hdc->textColour = colour & 0xFFFFFF;
    return old;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour)
{
    if (!validDC(hdc)) return 0xFFFFFFFF;
    COLORREF old = hdc->bkColour;
    hdc->bkColour = colour & 0xFFFFFF;
    return old;
}

int SetBkMode(HDC hdc, int mode)
{
    if (!validDC(hdc) || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = hdc->bkMode;
    hdc->bkMode = mode;
    return old;
}
