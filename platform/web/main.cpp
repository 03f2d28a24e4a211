// The browser front-end.  The program's own entry function and message loop
// run unchanged: whenever the program waits for input or sleeps, the stack is
// put aside (Asyncify) and the browser gets control back, so it can show the
// screen, play sounds and deliver input.  The page (web/page.js, the global
// `vostraPage`) draws the framebuffer on its canvas, turns pointer and key
// events into the feed calls exported below, plays the sounds and keeps the
// registry in localStorage.
#include <emscripten.h>

#include <cstdlib>
#include <string>

#include "captions/captions.h"
#include "game/context.h"
#include "platform/dialogs.h"
#include "platform/frontend.h"
#include "platform/internal.h"
#include "platform/settings_store.h"
#include "platform/wave.h"
#include "shell/dialogs.h"
#include "shell/entry.h"

namespace {

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

EM_JS(void, jsPlaySound, (const uint8_t* samples, int bytes, int channels, int rate, int bits), {
    vostraPage.playSound(HEAPU8.slice(samples, samples + bytes), channels, rate, bits);
});

EM_JS(void, jsStopSound, (), { vostraPage.stopSound(); });

EM_JS(void, jsBeep, (), { vostraPage.beep(); });

EM_JS(void, jsTranscript, (const char* line, int length), {
    vostraPage.transcript(UTF8ToString(line, length));
});

EM_JS(void, jsNumberInput, (int show, int left, int top, int right, int bottom), {
    vostraPage.numberInput(show != 0, left, top, right, bottom);
});

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

// ---- the registry in localStorage ---------------------------------------------------

// localStorage replaces an item in one step, which is all the store asks for.
class LocalStorageSettings : public SettingsStore {
public:
    bool load(std::string& text) override {
        char* stored = jsLoadSettings();
        if (!stored) return false;
        text = stored;
        std::free(stored);
        return true;
    }
    bool save(const std::string& text) override { return jsSaveSettings(text.c_str()) != 0; }
};

// ---- the front-end ----------------------------------------------------------------

bool hasClassName(const Window* w, const wchar_t* name) { return w && w->cls && w->cls->name == name; }

// The edit box of the open dialog, if it has one.
const Window* openDialogEditBox() {
    HWND dialog = openDialog();
    if (!dialog) return nullptr;
    for (const Window* c : dialog->children)
        if (hasClassName(c, L"EDIT") && reallyVisible(c)) return c;
    return nullptr;
}

class WebFrontEnd : public FrontEnd {
public:
    void waitForInput() override {
        followCaptions();
        updateNumberInput();
        if (!inputPending()) jsWaitForInput();
    }

    void present() override { jsPresent(screenPixels(), screenWidth(), screenHeight()); }

    void sleep(DWORD milliseconds) override { emscripten_sleep(milliseconds); }

    DWORD tickCount() override { return DWORD(emscripten_get_now() - start_); }

    void cursorChanged(CursorShape shape) override { jsCursor(int(shape)); }

    bool playSound(const void* wave, size_t bytes) override {
        WaveInfo info;
        if (!parseWave(wave, bytes, &info) || info.frames() == 0) return false;
        jsPlaySound(info.samples, int(info.sampleBytes), info.channels, info.sampleRate, info.bitsPerSample);
        return true;
    }

    void stopSound() override { jsStopSound(); }

    void beep() override { jsBeep(); }

    void transcript(std::string_view line) override { jsTranscript(line.data(), int(line.size())); }

private:
    // On a touch screen there is no keyboard to type into the dialog's edit
    // box: the page lays a numeric input over it while it is open.
    void updateNumberInput() {
        const Window* edit = openDialogEditBox();
        const RECT r = edit ? screenRectOf(edit) : RECT{0, 0, 0, 0};
        if (edit == shownEdit_ && r.left == shownRect_.left && r.top == shownRect_.top && r.right == shownRect_.right &&
            r.bottom == shownRect_.bottom)
            return;
        shownEdit_ = edit;
        shownRect_ = r;
        jsNumberInput(edit != nullptr, r.left, r.top, r.right, r.bottom);
    }

    double start_ = emscripten_get_now();
    const Window* shownEdit_ = nullptr;
    RECT shownRect_{0, 0, 0, 0};
};

bool g_running = false;

}  // namespace

// The collection the page handed over, if any, put in place (collection_bridge.cpp).
void startWebCollections();

// ---- input from the page ----------------------------------------------------------

extern "C" {

// Pen and right button at screen pixel (x, y): 0 down, 1 up, 2 move, 3 right button up.
EMSCRIPTEN_KEEPALIVE void vostra_pen(int kind, int x, int y) {
    switch (kind) {
    case 0: feedPenDown(x, y); break;
    case 1: feedPenUp(x, y); break;
    case 2: feedPenMove(x, y); break;
    case 3: feedRightButtonUp(x, y); break;
    default: break;
    }
}

EMSCRIPTEN_KEEPALIVE void vostra_key(int virtualKey, int alt) { feedKey(UINT(virtualKey), alt != 0); }

EMSCRIPTEN_KEEPALIVE void vostra_char(int ch) { feedChar(WCHAR(ch)); }

// The page is going away (closed, reloaded, or hidden and perhaps never shown
// again): keep the current problem number as the program does when it ends.
EMSCRIPTEN_KEEPALIVE void vostra_page_hidden() {
    if (g_running) storeProblem(theGame().currentProblem);
}

}  // extern "C"

int main() {
    // Both live as long as the page: the platform may use them until the end.
    auto* settings = new LocalStorageSettings;
    auto* frontEnd = new WebFrontEnd;
    setSettingsStore(settings);
    setLanguageOption(jsChineseSystem() ? "zh" : "en");
    platformStart(jsScreenSize(0), jsScreenSize(1), frontEnd);
    createTheGame();
    startWebCollections();
    g_running = true;
    const int result = WinMain(nullptr, nullptr, const_cast<LPWSTR>(L""), SW_SHOW);
    g_running = false;
    frontEnd->present();
    jsProgramEnded();
    return result;
}
