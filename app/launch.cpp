#include "app/launch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool parseSize(const char* text, int& width, int& height)
{
    int w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text, "%d%c%d%c", &w, &x, &h, &extra) != 3 || x != 'x') return false;
    if (w < 64 || h < 128 || w > 4096 || h > 4096) return false;
    width = w;
    height = h;
    return true;
}

}  // namespace

bool parseLaunchOptions(int argc, char** argv, LaunchOptions& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                error = std::string(a) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        if (!std::strcmp(a, "--headless")) {
            o.headless = true;
        } else if (!std::strcmp(a, "--print-catalogue")) {
            o.printCatalogue = true;
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            o.help = true;
        } else if (!std::strcmp(a, "--version")) {
            o.version = true;
        } else if (!std::strcmp(a, "--scale")) {
            const char* v = value();
            if (!v) return false;
            char* end = nullptr;
            const long n = std::strtol(v, &end, 10);
            if (!*v || *end || n < 1 || n > 8) {
                error = std::string("bad scale '") + v + "' (1 to 8)";
                return false;
            }
            o.scale = int(n);
        } else if (!std::strcmp(a, "--realtime")) {
            o.realtime = true;
        } else if (!std::strcmp(a, "--script")) {
            const char* v = value();
            if (!v) return false;
            o.script = v;
        } else if (!std::strcmp(a, "--screen")) {
            const char* v = value();
            if (!v) return false;
            if (!parseSize(v, o.width, o.height)) {
                error = std::string("bad screen size '") + v + "' (WxH, 64x128 to 4096x4096)";
                return false;
            }
        } else if (!std::strcmp(a, "--problems")) {
            const size_t before = o.problems.size();
            while (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) o.problems.push_back(argv[++i]);
            if (o.problems.size() == before) {
                error = "--problems needs a file or folder";
                return false;
            }
        } else if (!std::strcmp(a, "--collection")) {
            const char* v = value();
            if (!v) return false;
            o.collection = v;
        } else if (!std::strcmp(a, "--remove-collection")) {
            const char* v = value();
            if (!v) return false;
            o.removeCollection = v;
        } else if (!std::strcmp(a, "--builtin")) {
            o.builtIn = true;
        } else if (!std::strcmp(a, "--collections")) {
            o.listCollections = true;
        } else if (!std::strcmp(a, "--progress")) {
            o.progress = true;
        } else if (a[0] != '-') {
            o.problems.push_back(a);
        } else if (!std::strcmp(a, "--lang")) {
            const char* v = value();
            if (!v) return false;
            if (std::strcmp(v, "en") && std::strcmp(v, "zh")) {
                error = std::string("unknown language '") + v + "' (en or zh)";
                return false;
            }
            o.language = v;
        } else {
            error = std::string("unknown option '") + a + "'";
            return false;
        }
    }
    if (int(!o.problems.empty()) + int(!o.collection.empty() && !o.progress) + int(o.builtIn) > 1) {
        error = "open one of: PATH..., --collection NAME, --builtin";
        return false;
    }
    if (o.headless && o.script.empty()) {
        error = "--headless needs --script FILE";
        return false;
    }
    if (!o.headless && !o.script.empty()) {
        error = "--script needs --headless";
        return false;
    }
    return true;
}
