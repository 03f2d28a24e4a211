// Named mutexes as lock files, and the local socket through which copies of
// the program talk: "find CLASS TITLE" (answered 1 or 0) and "front".

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/instances.h"
#include "platform/internal.h"
#include "platform/settings_store.h"

struct KernelObject {
    std::string name;  // empty for an unnamed mutex
    int lockFd = -1;   // held lock file, -1 when another copy holds it
};

namespace {

// Stands for a window of another copy.  Aligned so that the handle's low bit
// (SetForegroundWindow's "and its owned windows") is free.
alignas(8) char g_otherCopyWindow;

// Top-level windows as other copies see them: class and title, UTF-8.  On
// the heap and never destroyed, as the listening thread may still read them
// while the process exits.
struct Published {
    std::mutex lock;
    std::vector<std::pair<std::string, std::string>> windows;
};
Published& published()
{
    static auto* p = new Published;
    return *p;
}

std::atomic<bool> g_foregroundRequested{false};
std::atomic<void (*)()> g_waker{nullptr};

struct Server {
    int listenFd = -1;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
};
Server* g_server = nullptr;  // listening while this copy holds a named mutex
int g_heldMutexes = 0;

// Every mutex handed out and not yet closed, as the system's handle table
// would keep them (a program may hold one for its whole life).
std::vector<KernelObject*>& openHandles()
{
    static auto* handles = new std::vector<KernelObject*>;
    return *handles;
}

std::string lockPathFor(const std::string& name)
{
    std::string file;
    for (char c : name) file += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_') ? c : '_';
    return configDirectory() + "/" + file + ".lock";
}

// The socket's address: its path in the configuration folder, or, where that
// path is too long for a socket address, an abstract name made from it.
socklen_t socketAddress(sockaddr_un* addr)
{
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    std::string path = configDirectory() + "/instance.sock";
    if (path.size() < sizeof addr->sun_path) {
        std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
        return socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    }
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : path) h = (h ^ c) * 1099511628211ull;
    char name[40];
    int n = std::snprintf(name, sizeof name, "vostra-%016llx", static_cast<unsigned long long>(h));
    std::memcpy(addr->sun_path + 1, name, size_t(n));
    return socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(n));
}

void setTimeout(int fd, int milliseconds)
{
    timeval tv{milliseconds / 1000, (milliseconds % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

bool sendAll(int fd, const std::string& s)
{
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

bool readLine(int fd, std::string* line)
{
    line->clear();
    char c;
    while (line->size() < 4096) {
        ssize_t n = recv(fd, &c, 1, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (c == '\n') return true;
        *line += c;
    }
    return false;
}

std::vector<std::string> splitTabs(const std::string& s)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t tab = s.find('\t', start);
        parts.push_back(s.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

// "find" fields: "-" matches anything, otherwise "=" followed by the text.
bool fieldMatches(const std::string& field, const std::string& value, bool caseless)
{
    if (field == "-") return true;
    if (field.empty() || field[0] != '=') return false;
    std::string want = field.substr(1);
    if (!caseless) return want == value;
    if (want.size() != value.size()) return false;
    for (size_t i = 0; i < want.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(want[i])) != std::tolower(static_cast<unsigned char>(value[i])))
            return false;
    return true;
}

std::string answer(const std::string& request)
{
    std::vector<std::string> parts = splitTabs(request);
    if (parts.size() == 3 && parts[0] == "find") {
        std::lock_guard<std::mutex> lock(published().lock);
        for (const auto& w : published().windows) {
            if (fieldMatches(parts[1], w.first, true) && fieldMatches(parts[2], w.second, false)) return "1\n";
        }
        return "0\n";
    }
    if (parts.size() == 1 && parts[0] == "front") {
        g_foregroundRequested = true;
        if (void (*wake)() = g_waker.load()) wake();
        return "1\n";
    }
    return "0\n";
}

void serve(Server* s)
{
    for (;;) {
        pollfd fds[2] = {{s->listenFd, POLLIN, 0}, {s->stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        int fd = accept4(s->listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        setTimeout(fd, 1000);
        std::string request;
        if (readLine(fd, &request)) sendAll(fd, answer(request));
        close(fd);
    }
}

void startServer()
{
    if (g_server) return;
    sockaddr_un addr;
    socklen_t length = socketAddress(&addr);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    // We hold the lock, so a socket file left here belongs to a copy that died.
    if (addr.sun_path[0]) unlink(addr.sun_path);
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return;
    }
    auto* s = new Server;
    s->listenFd = fd;
    if (pipe2(s->stopPipe, O_CLOEXEC) != 0) {
        close(fd);
        delete s;
        return;
    }
    s->thread = std::thread(serve, s);
    g_server = s;
}

void stopServer()
{
    Server* s = g_server;
    if (!s) return;
    g_server = nullptr;
    char c = 0;
    while (write(s->stopPipe[1], &c, 1) < 0 && errno == EINTR) {
    }
    s->thread.join();
    sockaddr_un addr;
    socketAddress(&addr);
    if (addr.sun_path[0]) unlink(addr.sun_path);
    close(s->listenFd);
    close(s->stopPipe[0]);
    close(s->stopPipe[1]);
    delete s;
}

// Sends one request to the copy listening in the configuration folder; the
// answer line, or "" when nobody answers.
std::string ask(const std::string& request)
{
    sockaddr_un addr;
    socklen_t length = socketAddress(&addr);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return "";
    setTimeout(fd, 2000);
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), length) != 0 || !sendAll(fd, request + "\n") ||
        !readLine(fd, &reply))
        reply.clear();
    close(fd);
    return reply;
}

std::string findField(LPCWSTR text)
{
    if (!text) return "-";
    std::string s = "=" + toUtf8(text);
    for (char& c : s)
        if (c == '\t' || c == '\n') c = ' ';
    return s;
}

}  // namespace

void publishTopLevelWindows()
{
    std::vector<std::pair<std::string, std::string>> windows;
    for (Window* w : topLevelWindows()) {
        if (w->destroying || !w->cls) continue;
        windows.emplace_back(toUtf8(w->cls->name.c_str()), toUtf8(w->text.c_str()));
    }
    std::lock_guard<std::mutex> lock(published().lock);
    published().windows.swap(windows);
}

HWND findWindowInOtherCopy(LPCWSTR className, LPCWSTR windowName)
{
    // The copy that listens is this one: nothing to ask.
    if (g_server) return nullptr;
    if (ask("find\t" + findField(className) + "\t" + findField(windowName)) != "1") return nullptr;
    return reinterpret_cast<HWND>(&g_otherCopyWindow);
}

bool isOtherCopyWindow(HWND hwnd)
{
    uintptr_t h = reinterpret_cast<uintptr_t>(hwnd) & ~uintptr_t(1);
    return h == reinterpret_cast<uintptr_t>(&g_otherCopyWindow);
}

BOOL bringOtherCopyToFront() { return ask("front") == "1" ? TRUE : FALSE; }

bool takeForegroundRequest() { return g_foregroundRequested.exchange(false); }

void setForegroundRequestWaker(void (*wake)()) { g_waker = wake; }

HANDLE CreateMutexW(void* security, BOOL initialOwner, LPCWSTR name)
{
    auto* m = new KernelObject;
    openHandles().push_back(m);
    SetLastError(ERROR_SUCCESS);
    if (!name || !*name) return m;
    m->name = toUtf8(name);
    int fd = -1;
    if (ensureConfigDirectory()) fd = open(lockPathFor(m->name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // No folder to keep the lock in: the mutex is this copy's alone.
        return m;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        SetLastError(ERROR_ALREADY_EXISTS);
        return m;
    }
    m->lockFd = fd;
    if (g_heldMutexes++ == 0) startServer();
    return m;
}

BOOL CloseHandle(HANDLE handle)
{
    auto& handles = openHandles();
    auto it = std::find(handles.begin(), handles.end(), handle);
    if (it == handles.end()) return FALSE;
    handles.erase(it);
    if (handle->lockFd >= 0) {
        if (--g_heldMutexes == 0) stopServer();
        close(handle->lockFd);
    }
    delete handle;
    return TRUE;
}
