// The program's resources as the platform sees them.  The program describes
// its string table, dialog templates, menu bars, accelerators, icon and sounds
// in a ResourceTable and registers it once before its entry function runs;
// the resource calls of win.h (LoadStringW, FindResourceW, LoadResource, ...)
// look things up in it.  The platform never includes the program's headers.
#pragma once

#include <string>

#include "platform/win.h"

// Resource types beyond those win.h names.
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

// Accelerator flags.
#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

// One entry of the string table; the text is UTF-8 and is handed out as a
// wide string.
struct StringResource {
    UINT id;
    const char* text;
};

// Dialog templates.  Positions and sizes are in dialog units.
enum DialogItemKind { kDialogStatic, kDialogEdit, kDialogButton };

struct DialogItemTemplate {
    int id;
    DialogItemKind kind;
    short x, y, cx, cy;
    const char* text;  // UTF-8
};

struct DialogTemplate {
    short x, y, cx, cy;
    const char* caption;  // UTF-8
    const char* fontName;
    int pointSize;
    int itemCount;
    const DialogItemTemplate* items;
};

// A menu bar: its soft keys, left to right, and the pop-up menu that the
// drop-down button opens.  A pop-up item with command 0 is a separator.
struct MenuBarButtonTemplate {
    UINT command;
    UINT labelStringId;
    bool dropDown;
};

struct MenuItemTemplate {
    UINT command;
    const char* text;  // UTF-8
    bool checked;
};

struct MenuBarTemplate {
    int buttonCount;
    const MenuBarButtonTemplate* buttons;
    int itemCount;
    const MenuItemTemplate* popup;
};

struct AcceleratorEntry {
    BYTE flags;  // FVIRTKEY | FALT | FCONTROL | FSHIFT
    WORD key;    // virtual key with FVIRTKEY, else a character
    WORD command;
};

struct AcceleratorTemplate {
    int count;
    const AcceleratorEntry* entries;
};

// An icon: width × height pixels, 0xAARRGGBB, rows top to bottom.
struct IconTemplate {
    int width, height;
    const uint32_t* pixels;
};

// One resource other than a string: its type (a MAKEINTRESOURCEW number or a
// name such as RT_WAVE), its number, and its bytes.  RT_DIALOG data is a
// DialogTemplate, RT_RCDATA a MenuBarTemplate, RT_ACCELERATOR an
// AcceleratorTemplate, RT_GROUP_ICON an IconTemplate; RT_WAVE data is a WAVE
// file.
struct ResourceEntry {
    LPCWSTR type;
    UINT id;
    const void* data;
    DWORD size;
};

struct ResourceTable {
    int stringCount;
    const StringResource* strings;
    int entryCount;
    const ResourceEntry* entries;
};

// Makes the table the program's resources (nullptr removes them).  The table
// must outlive its use.
void registerResources(const ResourceTable* table);

// Typed look-ups, nullptr when the table has no such resource.
const ResourceEntry* findResourceEntry(LPCWSTR type, UINT id);
const MenuBarTemplate* findMenuBarTemplate(UINT id);
// The number of the resource of this type whose data is `data`, or 0.
UINT resourceIdOfData(LPCWSTR type, const void* data);

// The wide form of a string resource (nullptr when missing); it stays valid
// until the table is replaced.
const WCHAR* findStringResource(UINT id);

// Wide form of a UTF-8 text, and back (length -1: up to the terminator).
// Invalid sequences become U+FFFD.
std::wstring resWideFromUtf8(const char* text);
std::string resUtf8FromWide(const WCHAR* text, int length = -1);
