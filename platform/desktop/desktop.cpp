#include "platform/desktop/desktop.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop/panel.h"
#include "platform/desktop/window_fit.h"
#include "platform/instances.h"
#include "platform/resource_table.h"
#include "platform/wave.h"

namespace {

// Another copy asked this one to come to the front (pushed from another thread).
Uint32 g_foregroundEvent = 0;

void wakeForForeground()
{
    SDL_Event e{};
    e.type = g_foregroundEvent;
    SDL_PushEvent(&e);
}

// SDL key to the device's virtual key, 0 for keys the device does not have.
UINT virtualKey(SDL_Keycode k)
{
    if (k >= SDLK_a && k <= SDLK_z) return UINT('A' + (k - SDLK_a));
    if (k >= SDLK_0 && k <= SDLK_9) return UINT('0' + (k - SDLK_0));
    if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return UINT('1' + (k - SDLK_KP_1));
    if (k >= SDLK_F1 && k <= SDLK_F12) return UINT(0x70 + (k - SDLK_F1));
    switch (k) {
    case SDLK_KP_0:
        return '0';
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_SLASH:
    case SDLK_KP_DIVIDE:
        return VK_OEM_2;
    default:
        return 0;
    }
}

class Desktop : public FrontEnd {
public:
    Desktop(int scale, DesktopHooks hooks) : scale_(scale), hooks_(std::move(hooks)) { openAudio(); }

    // The window opens when the program has one to show: a second copy that
    // only hands over to the first never shows a window of its own.
    bool openWindow()
    {
        if (texture_) return true;
        if (failed_ || !platformMainWindow()) return false;
        window_ = SDL_CreateWindow("Vostra", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, screenWidth() * scale_,
                                   (screenHeight() + kPanelHeight) * scale_, SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        if (window_) SDL_SetWindowMinimumSize(window_, screenWidth() / 2, (screenHeight() + kPanelHeight) / 2);
        renderer_ = window_ ? SDL_CreateRenderer(window_, -1, 0) : nullptr;
        texture_ = renderer_ ? SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                 screenWidth(), screenHeight())
                             : nullptr;
        panelTexture_ = texture_ ? SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                                     screenWidth(), kPanelHeight)
                                 : nullptr;
        if (panelTexture_) updatePanel();
        if (!texture_) {
            std::fprintf(stderr, "vostra: cannot open a window (%s)\n", SDL_GetError());
            failed_ = true;
            closeProgram();
        }
        return texture_ != nullptr;
    }

    void waitForInput() override
    {
        if (hooks_.followCaption && hooks_.followCaption(caption_)) updatePanel();
        present();
        // Until something is fed; the program then takes its next message.
        bool fed = false;
        while (!fed) {
            SDL_Event e;
            if (!SDL_WaitEvent(&e)) return;
            fed = handle(e);
            while (SDL_PollEvent(&e)) fed = handle(e) || fed;
            fed = openDropped() || fed;
        }
    }

    void present() override
    {
        if (!openWindow()) return;
        if (!iconSet_) setIcon();
        SDL_UpdateTexture(texture_, nullptr, screenPixels(), screenWidth() * 4);
        int w = 1, h = 1;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        const WindowFit f = fitWindow(w, h, screenWidth(), screenHeight(), kPanelHeight);
        SDL_SetRenderDrawColor(renderer_, 0x20, 0x24, 0x28, 0xFF);
        SDL_RenderClear(renderer_);
        const SDL_FRect screen{float(f.left), float(f.top), float(screenWidth() * f.scale),
                               float(screenHeight() * f.scale)};
        SDL_RenderCopyF(renderer_, texture_, nullptr, &screen);
        if (panelTexture_) {
            const SDL_FRect panel{screen.x, screen.y + screen.h, screen.w, float(kPanelHeight * f.scale)};
            SDL_RenderCopyF(renderer_, panelTexture_, nullptr, &panel);
        }
        SDL_RenderPresent(renderer_);
        // The title names the collection in use and how far the user got.
        const std::string title = hooks_.statusLine ? hooks_.statusLine() : std::string();
        if (title != title_) {
            title_ = title;
            SDL_SetWindowTitle(window_, title.empty() ? "Vostra" : ("Vostra \u2014 " + title).c_str());
        }
    }

    void sleep(DWORD milliseconds) override
    {
        // The screen stays alive; input given meanwhile waits its turn.
        const Uint32 end = SDL_GetTicks() + milliseconds;
        for (;;) {
            const Sint32 left = Sint32(end - SDL_GetTicks());
            if (left <= 0) break;
            SDL_Event e;
            if (SDL_WaitEventTimeout(&e, left)) handle(e);
        }
    }

    DWORD tickCount() override { return SDL_GetTicks(); }
    bool failed() const { return failed_; }

    void cursorChanged(CursorShape shape) override
    {
        if (shape == CursorShape::Hidden) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        SDL_ShowCursor(SDL_ENABLE);
        const SDL_SystemCursor id = shape == CursorShape::Hand   ? SDL_SYSTEM_CURSOR_HAND
                                    : shape == CursorShape::Wait ? SDL_SYSTEM_CURSOR_WAIT
                                                                 : SDL_SYSTEM_CURSOR_ARROW;
        if (!cursors_[id]) cursors_[id] = SDL_CreateSystemCursor(id);
        if (cursors_[id]) SDL_SetCursor(cursors_[id]);
    }

    bool playSound(const void* image, size_t bytes) override
    {
        WaveInfo w;
        if (!audio_ || !parseWave(image, bytes, &w)) return false;
        SDL_AudioCVT cvt;
        const SDL_AudioFormat format = w.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
        if (SDL_BuildAudioCVT(&cvt, format, Uint8(w.channels), w.sampleRate, spec_.format, spec_.channels, spec_.freq) <
            0)
            return false;
        std::vector<Uint8> buffer(w.sampleBytes * size_t(cvt.len_mult) + 16);
        std::copy(w.samples, w.samples + w.sampleBytes, buffer.begin());
        cvt.buf = buffer.data();
        cvt.len = int(w.sampleBytes);
        if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) return false;
        // A new sound cuts off the one still playing.
        SDL_ClearQueuedAudio(audio_);
        SDL_QueueAudio(audio_, buffer.data(), Uint32(cvt.needed ? cvt.len_cvt : cvt.len));
        return true;
    }

    void stopSound() override
    {
        if (audio_) SDL_ClearQueuedAudio(audio_);
    }

    void beep() override
    {
        if (!audio_ || spec_.format != AUDIO_S16SYS) return;
        // A short 880 Hz tone with soft edges.
        const int frames = spec_.freq / 12;
        std::vector<Sint16> tone(size_t(frames) * spec_.channels);
        for (int i = 0; i < frames; ++i) {
            const double edge = std::min(1.0, std::min(i, frames - i) / (spec_.freq * 0.005));
            const Sint16 v = Sint16(8000 * edge * std::sin(2 * M_PI * 880.0 * i / spec_.freq));
            for (int c = 0; c < spec_.channels; ++c) tone[size_t(i) * spec_.channels + size_t(c)] = v;
        }
        SDL_ClearQueuedAudio(audio_);
        SDL_QueueAudio(audio_, tone.data(), Uint32(tone.size() * sizeof(Sint16)));
    }

    ~Desktop() override
    {
        if (audio_) SDL_CloseAudioDevice(audio_);
        for (SDL_Cursor* c : cursors_)
            if (c) SDL_FreeCursor(c);
    }

private:
    void openAudio()
    {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;  // no audio: the program stays silent
        SDL_AudioSpec want{};
        want.freq = 22050;
        want.format = AUDIO_S16SYS;
        want.channels = 1;
        want.samples = 1024;
        audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, 0);
        if (audio_) SDL_PauseAudioDevice(audio_, 0);
    }

    void setIcon()
    {
        auto icon = static_cast<const IconTemplate*>(LoadIconW(nullptr, MAKEINTRESOURCEW(101)));
        if (!icon) return;
        iconSet_ = true;
        SDL_Surface* s =
            SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon->pixels), icon->width, icon->height, 32,
                                               icon->width * 4, SDL_PIXELFORMAT_ARGB8888);
        if (!s) return;
        SDL_SetWindowIcon(window_, s);
        SDL_FreeSurface(s);
    }

    void updatePanel()
    {
        if (!panelTexture_) return;
        drawPanel(panelPixels_, screenWidth(), caption_);
        SDL_UpdateTexture(panelTexture_, nullptr, panelPixels_.data(), screenWidth() * 4);
    }

    // Window coordinates to screen pixels; false outside the device screen.
    bool toScreen(int x, int y, POINT& p)
    {
        int w = 1, h = 1;
        if (window_) SDL_GetWindowSize(window_, &w, &h);
        int sx = 0, sy = 0;
        const bool inside = windowToScreen(fitWindow(w, h, screenWidth(), screenHeight(), kPanelHeight), x, y, sx, sy);
        p = POINT{LONG(sx), LONG(sy)};
        return inside;
    }

    void closeProgram()
    {
        if (HWND main = platformMainWindow())
            PostMessageW(main, WM_CLOSE, 0, 0);
        else
            PostQuitMessage(0);
    }

    // Files and folders dropped on the window open as a collection.
    bool openDropped()
    {
        if (dropped_.empty()) return false;
        std::vector<std::string> paths;
        paths.swap(dropped_);
        return hooks_.openPaths && hooks_.openPaths(paths);
    }

    // Turns one event into input; true when the program got something to do.
    bool handle(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_QUIT:
            closeProgram();
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                closeProgram();
                return true;
            }
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) present();
            return false;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            POINT p;
            const bool inside = toScreen(e.button.x, e.button.y, p);
            if (e.button.button == SDL_BUTTON_LEFT) {
                // The pen goes down only on the screen; it is lifted wherever
                // the button is released, at the nearest screen pixel.
                if (e.type == SDL_MOUSEBUTTONDOWN) {
                    if (!inside) return false;
                    penDown_ = true;
                    feedPenDown(p.x, p.y);
                } else {
                    if (!penDown_) return false;
                    penDown_ = false;
                    feedPenUp(p.x, p.y);
                }
                return true;
            }
            if (e.button.button == SDL_BUTTON_RIGHT && e.type == SDL_MOUSEBUTTONUP && inside) {
                feedRightButtonUp(p.x, p.y);
                return true;
            }
            return false;
        }
        case SDL_MOUSEMOTION: {
            POINT p;
            if (!toScreen(e.motion.x, e.motion.y, p) && !penDown_) return false;
            feedPenMove(p.x, p.y);
            return true;
        }
        case SDL_DROPFILE:
            if (e.drop.file) {
                dropped_.push_back(e.drop.file);
                SDL_free(e.drop.file);
            }
            return false;
        case SDL_KEYDOWN: {
            const UINT vk = virtualKey(e.key.keysym.sym);
            if (!vk) return false;
            feedKey(vk, (e.key.keysym.mod & KMOD_ALT) != 0);
            return true;
        }
        default:
            if (e.type == g_foregroundEvent && takeForegroundRequest()) {
                if (window_) {
                    SDL_RestoreWindow(window_);
                    SDL_RaiseWindow(window_);
                }
                if (HWND main = platformMainWindow()) SetForegroundWindow(main);
                return true;
            }
            return false;
        }
    }

    int scale_;
    DesktopHooks hooks_;
    std::string caption_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* panelTexture_ = nullptr;
    std::vector<uint32_t> panelPixels_;
    bool penDown_ = false;
    bool failed_ = false;
    SDL_AudioDeviceID audio_ = 0;
    SDL_AudioSpec spec_{};
    SDL_Cursor* cursors_[SDL_NUM_SYSTEM_CURSORS] = {};
    bool iconSet_ = false;
    std::vector<std::string> dropped_;
    std::string title_;
};

Desktop* theDesktop = nullptr;

}  // namespace

FrontEnd* openDesktop(int scale, DesktopHooks hooks)
{
    // Without a display SDL would fall back to drawing off screen, where
    // nobody sees the window: say so instead.  SDL_VIDEODRIVER set by hand
    // is taken as it is.
    const char* driver = SDL_getenv("SDL_VIDEODRIVER");
    const bool chosen = driver && *driver;
    const char* display = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    bool ok = chosen || (display && *display) || (wayland && *wayland);
    if (ok && SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) ok = false;
    if (ok && !chosen) {
        const char* current = SDL_GetCurrentVideoDriver();
        if (!current || !SDL_strcmp(current, "offscreen") || !SDL_strcmp(current, "dummy")) ok = false;
    }
    if (!ok) {
        std::fprintf(stderr,
                     "vostra: no display to open the window on; run `vostra --headless --script FILE` "
                     "for the headless runner, or use the web build\n");
        SDL_Quit();
        return nullptr;
    }
    // Sharp pixels when scaled.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    g_foregroundEvent = SDL_RegisterEvents(1);
    setForegroundRequestWaker(wakeForForeground);

    // Kept for the life of the process: the platform may still speak to its
    // front-end while static objects are destroyed at exit.
    theDesktop = new Desktop(scale, std::move(hooks));
    return theDesktop;
}

int closeDesktop(int exitStatus)
{
    setForegroundRequestWaker(nullptr);
    return theDesktop && theDesktop->failed() ? 1 : exitStatus;
}
