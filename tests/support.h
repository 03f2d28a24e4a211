// Helpers shared by the tests: the one recording front-end, windows of a
// test's own, a configuration folder, running the programs and reading their
// screenshots.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/frontend.h"
#include "platform/settings_store.h"
#include "platform/win.h"
#include "tests/child_process.h"

// Records the transcript on a virtual clock.  Each time the program waits for
// input it runs the next step; with none left it ends the message loop.  With
// keepFrames, every Sleep keeps a copy of the screen.
struct RecordingFrontEnd : FrontEnd {
    std::vector<std::string> lines;
    std::deque<std::function<void()>> steps;
    std::vector<std::vector<uint32_t>> framesAtSleep;
    bool keepFrames = false;
    int waits = 0;
    DWORD clock = 0;

    void waitForInput() override
    {
        ++waits;
        if (steps.empty()) {
            PostQuitMessage(0);
            return;
        }
        std::function<void()> step = std::move(steps.front());
        steps.pop_front();
        step();
    }
    void sleep(DWORD ms) override
    {
        clock += ms;
        if (keepFrames) framesAtSleep.emplace_back(screenPixels(), screenPixels() + screenWidth() * screenHeight());
    }
    DWORD tickCount() override { return clock; }
    void transcript(std::string_view line) override { lines.emplace_back(line); }
};

// Handles everything queued and every paint, up to the idle point; with
// `translate`, keys also give their characters.
inline void pump(bool translate = false)
{
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (translate) TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// Registers a window class with a white background; false when it exists.
inline bool registerClass(const wchar_t* name, WNDPROC proc)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = name;
    return RegisterClassW(&wc);
}

// A visible window of class `name`, registered here with `proc` when it is
// not yet; the default placement puts its client origin at screen (0, 26).
inline HWND openWindow(const wchar_t* name, WNDPROC proc, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                       int w = CW_USEDEFAULT, int h = CW_USEDEFAULT, HWND parent = nullptr, DWORD style = WS_VISIBLE)
{
    registerClass(name, proc);
    return CreateWindowExW(0, name, name, style, x, y, w, h, parent, nullptr, nullptr, nullptr);
}

inline void tapScreen(int x, int y)
{
    feedPenDown(x, y);
    feedPenUp(x, y);
}

// Screen pixel, 0x00RRGGBB.
inline uint32_t screenAt(int x, int y) { return screenPixels()[y * screenWidth() + x]; }

// ---- files and programs -----------------------------------------------------

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::filesystem::path& path, const std::string& text)
{
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under /tmp, used as VOSTRA_CONFIG_DIR while the object lives.
class TempConfigDir {
public:
    TempConfigDir()
    {
        char pattern[] = "/tmp/vostra-test-XXXXXX";
        path_ = mkdtemp(pattern);
        if (const char* old = std::getenv("VOSTRA_CONFIG_DIR")) old_ = old, hadOld_ = true;
        setenv("VOSTRA_CONFIG_DIR", path_.c_str(), 1);
        setSettingsStore(nullptr);
    }
    ~TempConfigDir()
    {
        if (hadOld_)
            setenv("VOSTRA_CONFIG_DIR", old_.c_str(), 1);
        else
            unsetenv("VOSTRA_CONFIG_DIR");
        setSettingsStore(nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_, old_;
    bool hadOld_ = false;
};

struct Output {
    int status = -1;  // the exit status, -1 when the program did not exit
    std::string out;
};

// Runs a shell command; `out` is what it wrote to its standard output.
inline Output runCommand(const std::string& command)
{
    Output r;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) r.out.append(buffer, n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return r;
}

inline const std::string kVostra = std::string("'") + VOSTRA_BIN + "'";
inline const std::string kVostraProblems = std::string("'") + VOSTRA_PROBLEMS_BIN + "'";

// `vostra --headless` on a script, in the configuration folder `dir`, with
// both output streams; `environment` goes before the command.
inline Output runScript(const std::string& dir, const std::string& script, const std::string& options = "",
                        const std::string& environment = "LANG=C")
{
    writeFile(dir + "/script.txt", script);
    return runCommand("env -u LC_ALL -u LC_MESSAGES " + environment + " VOSTRA_CONFIG_DIR='" + dir + "' " + kVostra +
                      " --headless --script '" + dir + "/script.txt' " + options + " 2>&1");
}

inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The built-in catalogue's records, one per problem.
inline std::vector<std::string> catalogueRecords()
{
    return splitLines(runCommand(kVostra + " --print-catalogue").out);
}

// The headless runner reading its script line by line from a pipe.
class PipedRunner {
public:
    explicit PipedRunner(const std::string& configDir)
    {
        const PipedChild child = startPiped(VOSTRA_BIN, {VOSTRA_BIN, "--headless", "--script", "-"}, false,
                                            {{"VOSTRA_CONFIG_DIR", configDir}});
        pid_ = child.pid;
        in_ = child.in;
        out_ = child.out;
    }
    ~PipedRunner() { finish(); }

    void send(const std::string& line) { (void)!write(in_, line.data(), line.size()); }
    // What the program writes until `what` has appeared and its line is
    // complete, or until it has been silent for 20 seconds.
    std::string readUntil(const std::string& what)
    {
        std::string got;
        char buffer[4096];
        pollfd p{out_, POLLIN, 0};
        while (got.find(what) == std::string::npos || got.back() != '\n') {
            if (poll(&p, 1, 20000) <= 0) break;
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }
    // Ends the script.
    void closeInput()
    {
        if (in_ >= 0) close(in_);
        in_ = -1;
    }
    // Ends the script and returns the exit status (-1 when it did not exit).
    int finish()
    {
        if (pid_ <= 0) return -1;
        closeInput();
        int status = 0;
        waitpid(pid_, &status, 0);
        close(out_);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
};

// A PNG file as 0x00RRGGBB pixels, row after row; empty when it cannot be
// read.  `width`, when given, receives the image's width.
inline std::vector<uint32_t> readPng(const std::string& path, int* width = nullptr)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    if (width) *width = int(image.width);
    return pixels;
}

// ---- platform tests ---------------------------------------------------------

// Messages received by windows of the class "LOG".
struct Received {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    void* createParam = nullptr;  // WM_CREATE: CreateWindowExW's last argument
};
inline std::vector<Received>& received()
{
    static std::vector<Received> log;
    return log;
}

inline LRESULT CALLBACK loggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    received().push_back({hwnd, msg, wParam, lParam,
                          msg == WM_CREATE ? reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams : nullptr});
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A fresh 240 x 320 screen with the recording front-end, and windows whose
// procedure logs what they receive.
class PlatformTest : public ::testing::Test {
protected:
    RecordingFrontEnd fe;

    void SetUp() override
    {
        platformStart(240, 320, &fe);
        received().clear();
        registerClass(L"LOG", loggingProc);
    }
    void TearDown() override { platformStart(240, 320, nullptr); }

    HWND window(int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int w = CW_USEDEFAULT, int h = CW_USEDEFAULT,
                HWND parent = nullptr, DWORD style = WS_VISIBLE)
    {
        return openWindow(L"LOG", loggingProc, x, y, w, h, parent, style);
    }
    static uint32_t at(int x, int y) { return screenAt(x, y); }
    std::vector<UINT> messagesTo(HWND hwnd) const
    {
        std::vector<UINT> out;
        for (const Received& r : received())
            if (r.hwnd == hwnd) out.push_back(r.msg);
        return out;
    }
};
