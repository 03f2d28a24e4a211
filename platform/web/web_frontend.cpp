#include "platform/web/web_frontend.h"

#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/wave.h"

namespace {

// The bodies below are JavaScript: the C++ formatter must leave them alone.
// clang-format off
// The device screen's size, as the page chose it from the viewport.
EM_JS(int, jsScreenSize, (int height), { return vostraPage.screenSize()[height ? 1 : 0]; });

// ---- calls into the page ----------------------------------------------------------

EM_JS(void, jsPresent, (const uint32_t* pixels, int width, int height), {
    var first = pixels >> 2;
    vostraPage.present(HEAPU32.subarray(first, first + width * height), width, height);
});

// Resolves when the page has fed new input.
EM_ASYNC_JS(void, jsWaitForInput, (), { await vostraPage.nextInput(); });

EM_JS(void, jsCursor, (int shape), { vostraPage.cursor(shape); });

EM_JS(void, jsPlaySound, (const uint8_t* samples, int bytes, int channels, int rate, int bits),
      { vostraPage.playSound(HEAPU8.slice(samples, samples + bytes), channels, rate, bits); });

EM_JS(void, jsStopSound, (), { vostraPage.stopSound(); });

EM_JS(void, jsBeep, (), { vostraPage.beep(); });

EM_JS(void, jsTranscript, (const char* line, int length), { vostraPage.transcript(UTF8ToString(line, length)); });

EM_JS(void, jsNumberInput, (int show, int left, int top, int right, int bottom),
      { vostraPage.numberInput(show != 0, left, top, right, bottom); });

EM_JS(int, jsChineseSystem, (), { return vostraPage.chineseSystem() ? 1 : 0; });

EM_JS(void, jsProgramEnded, (), { vostraPage.programEnded(); });

// The stored text as a malloc'ed UTF-8 string, or null when there is none.
EM_JS(char*, jsLoadSettings, (), {
    var text = vostraPage.loadSettings();
    if (text === null) return 0;
    var size = lengthBytesUTF8(text) + 1;
    var p = _malloc(size);
    if (p) stringToUTF8(text, p, size);
    return p;
});

EM_JS(int, jsSaveSettings, (const char* text), { return vostraPage.saveSettings(UTF8ToString(text)) ? 1 : 0; });

// clang-format on

// ---- the registry in localStorage ---------------------------------------------------

// localStorage replaces an item in one step, which is all the store asks for.
class LocalStorageSettings : public SettingsStore {
public:
    bool load(std::string& text) override
    {
        char* stored = jsLoadSettings();
        if (!stored) return false;
        text = stored;
        std::free(stored);
        return true;
    }
    bool save(const std::string& text) override { return jsSaveSettings(text.c_str()) != 0; }
};

// ---- the front-end ----------------------------------------------------------------

class WebFrontEnd : public FrontEnd {
public:
    void waitForInput() override
    {
        if (idle_) idle_();
        updateNumberInput();
        if (!inputPending()) jsWaitForInput();
    }

    void present() override { jsPresent(screenPixels(), screenWidth(), screenHeight()); }

    void sleep(DWORD milliseconds) override { emscripten_sleep(milliseconds); }

    DWORD tickCount() override { return DWORD(emscripten_get_now() - start_); }

    void cursorChanged(CursorShape shape) override { jsCursor(int(shape)); }

    bool playSound(const void* wave, size_t bytes) override
    {
        WaveInfo info;
        if (!parseWave(wave, bytes, &info) || info.frames() == 0) return false;
        jsPlaySound(info.samples, int(info.sampleBytes), info.channels, info.sampleRate, info.bitsPerSample);
        return true;
    }

    void stopSound() override { jsStopSound(); }

    void beep() override { jsBeep(); }

    void transcript(std::string_view line) override { jsTranscript(line.data(), int(line.size())); }

    void setIdle(std::function<void()> idle) { idle_ = std::move(idle); }

private:
    // On a touch screen there is no keyboard to type into the dialog's edit
    // box: the page lays a numeric input over it while it is open.
    void updateNumberInput()
    {
        RECT r{0, 0, 0, 0};
        HWND edit = openDialogEditBox(&r);
        if (edit == shownEdit_ && r.left == shownRect_.left && r.top == shownRect_.top && r.right == shownRect_.right &&
            r.bottom == shownRect_.bottom)
            return;
        shownEdit_ = edit;
        shownRect_ = r;
        jsNumberInput(edit != nullptr, r.left, r.top, r.right, r.bottom);
    }

    std::function<void()> idle_;
    double start_ = emscripten_get_now();
    HWND shownEdit_ = nullptr;
    RECT shownRect_{0, 0, 0, 0};
};

}  // namespace

// ---- input from the page ----------------------------------------------------------

extern "C" {

// Pen and right button at screen pixel (x, y): 0 down, 1 up, 2 move, 3 right button up.
EMSCRIPTEN_KEEPALIVE void vostra_pen(int kind, int x, int y)
{
    switch (kind) {
    case 0:
        feedPenDown(x, y);
        break;
    case 1:
        feedPenUp(x, y);
        break;
    case 2:
        feedPenMove(x, y);
        break;
    case 3:
        feedRightButtonUp(x, y);
        break;
    default:
        break;
    }
}

EMSCRIPTEN_KEEPALIVE void vostra_key(int virtualKey, int alt) { feedKey(UINT(virtualKey), alt != 0); }

EMSCRIPTEN_KEEPALIVE void vostra_char(int ch) { feedChar(WCHAR(ch)); }

}  // extern "C"

FrontEnd* startWebFrontEnd(std::function<void()> idle)
{
    // Both live as long as the page: the platform may use them until the end.
    static auto* settings = new LocalStorageSettings;
    static auto* frontEnd = new WebFrontEnd;
    setSettingsStore(settings);
    frontEnd->setIdle(std::move(idle));
    return frontEnd;
}

int pageScreenWidth() { return jsScreenSize(0); }
int pageScreenHeight() { return jsScreenSize(1); }

const char* pageLanguage() { return jsChineseSystem() ? "zh" : "en"; }

void webProgramEnded()
{
    if (FrontEnd* f = platformFrontEnd()) f->present();
    jsProgramEnded();
}
