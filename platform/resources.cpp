// Resource look-up over the registered ResourceTable: strings, dialog
// templates, menu bars, accelerators, the icon and the sounds.

#include <cwctype>
#include <map>
#include <string>

#include "platform/resource_table.h"

struct AcceleratorTable {
    const AcceleratorTemplate* source;
};

namespace {

const ResourceTable* g_table = nullptr;
std::map<UINT, std::wstring> g_strings;
std::map<UINT, AcceleratorTable> g_accelerators;

bool sameType(LPCWSTR a, LPCWSTR b)
{
    if (IS_INTRESOURCE(a) || IS_INTRESOURCE(b)) return a == b;
    for (; *a && *b; ++a, ++b) {
        if (std::towupper(*a) != std::towupper(*b)) return false;
    }
    return *a == *b;
}

// Resources are named by number here; a name given as text ("#101" style
// names are not used by the program) finds nothing.
bool resourceNumber(LPCWSTR name, UINT* id)
{
    if (!IS_INTRESOURCE(name)) return false;
    *id = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
    return true;
}

// Decodes one UTF-8 sequence at s; returns the code point and advances s.
char32_t nextCodePoint(const unsigned char*& s)
{
    unsigned c = *s++;
    if (c < 0x80) return c;
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    char32_t cp = c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        if ((*s & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (*s++ & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0xFFFD;
    return cp;
}

}  // namespace

std::wstring resWideFromUtf8(const char* text)
{
    std::wstring out;
    if (!text) return out;
    auto s = reinterpret_cast<const unsigned char*>(text);
    while (*s) {
        char32_t cp = nextCodePoint(s);
        if (sizeof(WCHAR) == 2 && cp > 0xFFFF) {
            cp -= 0x10000;
            out += static_cast<WCHAR>(0xD800 + (cp >> 10));
            out += static_cast<WCHAR>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<WCHAR>(cp);
        }
    }
    return out;
}

std::string resUtf8FromWide(const WCHAR* text, int length)
{
    std::string out;
    if (!text) return out;
    for (int i = 0; length < 0 ? text[i] != 0 : i < length; ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if (sizeof(WCHAR) == 2 && cp >= 0xD800 && cp < 0xDC00 && (length < 0 || i + 1 < length) &&
            text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

void registerResources(const ResourceTable* table)
{
    g_table = table;
    g_strings.clear();
    g_accelerators.clear();
    if (!table) return;
    for (int i = 0; i < table->stringCount; ++i)
        g_strings[table->strings[i].id] = resWideFromUtf8(table->strings[i].text);
}

const ResourceEntry* findResourceEntry(LPCWSTR type, UINT id)
{
    if (!g_table) return nullptr;
    for (int i = 0; i < g_table->entryCount; ++i) {
        const ResourceEntry& e = g_table->entries[i];
        if (e.id == id && sameType(e.type, type)) return &e;
    }
    return nullptr;
}

UINT resourceIdOfData(LPCWSTR type, const void* data)
{
    if (!g_table || !data) return 0;
    for (int i = 0; i < g_table->entryCount; ++i) {
        const ResourceEntry& e = g_table->entries[i];
        if (e.data == data && sameType(e.type, type)) return e.id;
    }
    return 0;
}

const MenuBarTemplate* findMenuBarTemplate(UINT id)
{
    const ResourceEntry* e = findResourceEntry(RT_RCDATA, id);
    return e ? static_cast<const MenuBarTemplate*>(e->data) : nullptr;
}

const WCHAR* findStringResource(UINT id)
{
    auto it = g_strings.find(id);
    return it == g_strings.end() ? nullptr : it->second.c_str();
}

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int bufferMax)
{
    if (!buffer) return 0;
    auto it = g_strings.find(id);
    if (bufferMax == 0) {
        // As on the device: with no room given, hand out the resource itself.
        if (it == g_strings.end()) return 0;
        *reinterpret_cast<const WCHAR**>(buffer) = it->second.c_str();
        return static_cast<int>(it->second.size());
    }
    if (bufferMax < 0) return 0;
    if (it == g_strings.end()) {
        buffer[0] = 0;
        return 0;
    }
    int n = static_cast<int>(it->second.size());
    if (n > bufferMax - 1) n = bufferMax - 1;
    it->second.copy(buffer, n);
    buffer[n] = 0;
    return n;
}

HRSRC FindResourceW(HMODULE, LPCWSTR name, LPCWSTR type)
{
    UINT id;
    if (!resourceNumber(name, &id)) return nullptr;
    const ResourceEntry* e = findResourceEntry(type, id);
    if (!e) SetLastError(1813);  // resource type or name not found
    return e;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return resource ? resource->data : nullptr; }

const void* LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC resource) { return resource ? resource->size : 0; }

HACCEL LoadAcceleratorsW(HINSTANCE, LPCWSTR name)
{
    UINT id;
    if (!resourceNumber(name, &id)) return nullptr;
    const ResourceEntry* e = findResourceEntry(RT_ACCELERATOR, id);
    if (!e) return nullptr;
    AcceleratorTable& t = g_accelerators[id];
    t.source = static_cast<const AcceleratorTemplate*>(e->data);
    return &t;
}

// Key messages carry the Alt state in bit 29 of lParam, as on the device
// (WM_SYSKEYDOWN and WM_SYSCHAR are the messages of keys pressed with Alt).
// The front-ends report no Ctrl or Shift state, so entries that need either
// never match.
int TranslateAcceleratorW(HWND hwnd, HACCEL table, MSG* msg)
{
    if (!hwnd || !table || !msg || !table->source) return 0;
    bool virtualKey;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        virtualKey = true;
        break;
    case WM_CHAR:
    case 0x0106:  // WM_SYSCHAR
        virtualKey = false;
        break;
    default:
        return 0;
    }
    bool alt = (msg->lParam & (1L << 29)) != 0;
    const AcceleratorTemplate& t = *table->source;
    for (int i = 0; i < t.count; ++i) {
        const AcceleratorEntry& a = t.entries[i];
        if (((a.flags & FVIRTKEY) != 0) != virtualKey) continue;
        if (a.flags & (FCONTROL | FSHIFT)) continue;
        if (((a.flags & FALT) != 0) != alt) continue;
        if (a.key != msg->wParam) continue;
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(a.command, 1), 0);
        return 1;
    }
    return 0;
}

HICON LoadIconW(HINSTANCE, LPCWSTR name)
{
    UINT id;
    if (!resourceNumber(name, &id)) return nullptr;
    const ResourceEntry* e = findResourceEntry(RT_GROUP_ICON, id);
    return e ? const_cast<void*>(e->data) : nullptr;
}
