#include "platform/headless/script_runner.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "platform/headless/png_writer.h"
#include "platform/instances.h"
#include "platform/menubar.h"

namespace {

int64_t steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::vector<std::string> words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// Removes a comment: '#' at the start of the line or after white space.
std::string withoutComment(const std::string& line)
{
    for (size_t i = 0; i < line.size(); ++i)
        if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return line.substr(0, i);
    return line;
}

// Decodes UTF-8; false on a malformed sequence.
bool decodeUtf8(const std::string& s, std::wstring& out)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + size_t(extra) >= s.size()) return false;
        uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + size_t(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return false;
        if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
            out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
            out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
        i += size_t(extra) + 1;
    }
    return true;
}

struct KeyName {
    const char* name;
    UINT code;
};
const KeyName kKeyNames[] = {
    {"space", VK_SPACE}, {"return", VK_RETURN}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE},
    {"back", VK_BACK},   {"tab", VK_TAB},       {"left", VK_LEFT},    {"right", VK_RIGHT},
    {"up", VK_UP},       {"down", VK_DOWN},     {"f4", VK_F4},
};

}  // namespace

ScriptRunner::ScriptRunner(std::istream& script, std::string fileName, bool realtime, ScriptCommands commands)
    : commands_(std::move(commands)),
      script_(script),
      fileName_(std::move(fileName)),
      realtime_(realtime),
      realStart_(steadyMilliseconds())
{}

void ScriptRunner::fail(const std::string& message)
{
    std::fflush(stdout);
    std::fprintf(stderr, "%s:%d: %s\n", fileName_.c_str(), lineNumber_, message.c_str());
    std::exit(2);
}

int ScriptRunner::number(const std::string& word)
{
    const char* s = word.c_str();
    char* end = nullptr;
    errno = 0;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const long v = std::strtol(s, &end, hex ? 16 : 10);
    if (word.empty() || *end || errno == ERANGE || v < INT_MIN || v > INT_MAX || (!hex && word[0] == '+'))
        fail("malformed number '" + word + "'");
    return int(v);
}

void ScriptRunner::transcript(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

void ScriptRunner::sleep(DWORD milliseconds)
{
    if (realtime_)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    else
        virtualClock_ += milliseconds;
}

DWORD ScriptRunner::tickCount()
{
    if (realtime_) return DWORD(steadyMilliseconds() - realStart_);
    return DWORD(virtualClock_);
}

void ScriptRunner::endOfScript()
{
    ended_ = true;
    if (HWND main = platformMainWindow())
        PostMessageW(main, WM_CLOSE, 0, 0);
    else
        PostQuitMessage(0);
}

void ScriptRunner::waitForInput()
{
    if (commands_.idle) commands_.idle();
    // The previous line's work is done: its events are all written.
    std::fflush(stdout);
    if (ended_) {
        // The program went on after being closed: close it harder.
        if (++idleAfterEnd_ == 1) {
            if (HWND main = platformMainWindow())
                DestroyWindow(main);
            else
                PostQuitMessage(0);
        } else {
            PostQuitMessage(0);
        }
        return;
    }
    std::string line;
    while (std::getline(script_, line)) {
        // Another copy asked this one to come to the front while we waited.
        if (takeForegroundRequest()) {
            if (HWND main = platformMainWindow()) SetForegroundWindow(main);
            transcript("foreground");
        }
        ++lineNumber_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const bool gaveInput = runLine(line);
        std::fflush(stdout);
        if (gaveInput) return;
    }
    endOfScript();
}

bool ScriptRunner::runLine(const std::string& rawLine)
{
    const std::string line = withoutComment(rawLine);
    const std::vector<std::string> w = words(line);
    if (w.empty()) return false;
    const std::string& cmd = w[0];
    auto expect = [&](size_t count, const char* usage) {
        if (w.size() != count + 1) fail(std::string("usage: ") + usage);
    };

    if (cmd == "tap" || cmd == "rtap" || cmd == "move") {
        expect(2, (cmd + " X Y").c_str());
        const int x = number(w[1]), y = number(w[2]);
        const POINT o = clientOrigin(platformMainWindow());
        const long sx = long(x) + o.x, sy = long(y) + o.y;
        if (sx < INT_MIN / 2 || sx > INT_MAX / 2 || sy < INT_MIN / 2 || sy > INT_MAX / 2) fail("position out of range");
        if (cmd == "tap") {
            feedPenDown(int(sx), int(sy));
            feedPenUp(int(sx), int(sy));
        } else if (cmd == "rtap") {
            feedRightButtonUp(int(sx), int(sy));
        } else {
            feedPenMove(int(sx), int(sy));
        }
        return true;
    }
    if (cmd == "key") {
        if (w.size() > 2) fail("usage: key [CODE]");
        UINT code = VK_SPACE;
        bool alt = false;
        if (w.size() == 2) {
            std::string k = w[1];
            if (k.size() > 4 && (k.compare(0, 4, "alt+") == 0 || k.compare(0, 4, "Alt+") == 0)) {
                alt = true;
                k = k.substr(4);
            }
            bool named = false;
            for (const KeyName& n : kKeyNames)
                if (k == n.name) {
                    code = n.code;
                    named = true;
                }
            if (!named) {
                const int v = number(k);
                if (v < 1 || v > 254) fail("key code out of range: " + k);
                code = UINT(v);
            }
        }
        feedKey(code, alt);
        return true;
    }
    if (cmd == "command") {
        expect(1, "command ID");
        const int id = number(w[1]);
        if (id < 0 || id > 0xFFFF) fail("command identifier out of range: " + w[1]);
        HWND target = platformActiveWindow();
        if (!target) return false;
        PostMessageW(target, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        return true;
    }
    if (cmd == "softkey") {
        expect(1, "softkey N");
        const int n = number(w[1]);
        if (n < 1 || n > 4) fail("soft key number must be 1 to 4");
        // The middle of the menu bar's button N, or of the Nth quarter of the
        // bar's strip when there is no menu bar.
        int x = screenWidth() * (2 * n - 1) / 8;
        int y = screenHeight() - kMenuBarHeight / 2;
        const std::vector<RECT> buttons = menuBarButtonRects(activeMenuBar());
        if (size_t(n) <= buttons.size()) {
            const RECT& b = buttons[size_t(n - 1)];
            x = (b.left + b.right) / 2;
            y = (b.top + b.bottom) / 2;
        }
        feedPenDown(x, y);
        feedPenUp(x, y);
        return true;
    }
    if (cmd == "type") {
        // Everything after "type " is the text, spaces included.
        const size_t at = line.find("type") + 4;
        std::string text = line.substr(at < line.size() ? at + 1 : line.size());
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
        std::wstring chars;
        if (text.empty()) fail("usage: type TEXT");
        if (!decodeUtf8(text, chars)) fail("text is not UTF-8");
        for (wchar_t c : chars) feedChar(c);
        return true;
    }
    if (cmd == "wait") {
        expect(1, "wait MS");
        const int ms = number(w[1]);
        if (ms < 0) fail("negative wait");
        sleep(DWORD(ms));
        return false;
    }
    if (cmd == "shot") {
        expect(1, "shot FILE.png");
        if (!writePng(w[1], screenPixels(), screenWidth(), screenHeight())) fail("cannot write " + w[1]);
        return false;
    }
    if (cmd == "open") {
        // As files dropped on the desktop window: compiled, kept and shown.
        if (w.size() < 2) fail("usage: open PATH...");
        return commands_.open && commands_.open(std::vector<std::string>(w.begin() + 1, w.end()));
    }
    if (cmd == "builtin") {
        expect(0, "builtin");
        if (!commands_.openBuiltIn) return false;
        commands_.openBuiltIn();
        return true;
    }
    if (cmd == "dump") {
        expect(0, "dump");
        const std::string text = commands_.dump ? commands_.dump() : std::string();
        std::fwrite(text.data(), 1, text.size(), stdout);
        return false;
    }
    fail("unknown command '" + cmd + "'");
}
