// Sounds: PlaySoundW plays a WAVE resource through the front-end, and
// MessageBeep gives the front-end's beep.  Both appear in the transcript.

#include <cstring>
#include <string>

#include "platform/frontend.h"
#include "platform/resource_table.h"
#include "platform/wave.h"

namespace {

// The one module of the program.
char g_module;

uint32_t le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

}  // namespace

bool parseWave(const void* image, size_t bytes, WaveInfo* info)
{
    auto p = static_cast<const uint8_t*>(image);
    if (!p || bytes < 12 || std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return false;
    size_t end = bytes;
    if (size_t(le32(p + 4)) + 8 < end) end = size_t(le32(p + 4)) + 8;
    bool haveFormat = false;
    WaveInfo w;
    for (size_t pos = 12; pos + 8 <= end;) {
        const uint8_t* chunk = p + pos;
        size_t size = le32(chunk + 4);
        size_t body = pos + 8;
        size_t available = end - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16 || available < 16) return false;
            if (le16(chunk + 8) != 1) return false;  // PCM only
            w.channels = le16(chunk + 10);
            w.sampleRate = int(le32(chunk + 12));
            w.bitsPerSample = le16(chunk + 22);
            if (w.channels < 1 || w.channels > 2 || w.sampleRate <= 0 ||
                (w.bitsPerSample != 8 && w.bitsPerSample != 16))
                return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat) return false;
            w.samples = chunk + 8;
            w.sampleBytes = size < available ? size : available;
            *info = w;
            return true;
        }
        if (size > available) return false;
        pos = body + size + (size & 1);
    }
    return false;
}

HMODULE GetModuleHandleW(LPCWSTR name) { return name ? nullptr : &g_module; }

BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags)
{
    FrontEnd* fe = platformFrontEnd();
    if (!sound) {
        // No sound named: stop the one playing.
        if (fe) fe->stopSound();
        return TRUE;
    }
    // Only the program's own WAVE resources are played.
    if ((flags & SND_RESOURCE) != SND_RESOURCE || !IS_INTRESOURCE(sound)) return FALSE;
    UINT id = UINT(reinterpret_cast<uintptr_t>(sound));
    const ResourceEntry* e = findResourceEntry(RT_WAVE, id);
    WaveInfo info;
    if (!e || !parseWave(e->data, e->size, &info)) return FALSE;
    transcriptLine("sound " + std::to_string(id));
    // Played asynchronously, a new sound cutting off the one before; a
    // front-end without audio plays nothing, as on a device with the volume
    // off.  Synchronous playing is not offered: the program never waits.
    if (fe) fe->playSound(e->data, e->size);
    return TRUE;
}

BOOL MessageBeep(UINT type)
{
    transcriptLine("beep");
    if (FrontEnd* fe = platformFrontEnd()) fe->beep();
    return TRUE;
}
