// The program's executable: the headless runner (--headless --script FILE),
// the catalogue listing (--print-catalogue) and, where it is built in, the
// desktop window.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>

#include "game/context.h"
#include "platform/frontend.h"
#include "platform/headless/launch.h"
#include "platform/headless/script_runner.h"
#include "problems/catalogue.h"
#include "shell/entry.h"
#include "host/native_host.h"
#include "host/trainer_host.h"

namespace {

constexpr const char* kUsage =
    "usage: vostra [--scale N] [--screen WxH] [--lang en|zh] [PATH... | --collection NAME | --builtin]\n"
    "       vostra --headless --script FILE|- [--screen WxH] [--lang en|zh] [--realtime]\n"
    "              [--problems PATH... | --collection NAME | --builtin]\n"
    "       vostra --collections | --progress [--collection NAME] | --remove-collection NAME\n"
    "       vostra --print-catalogue | --help | --version\n"
    "\n"
    "  --scale N          show each screen pixel N times over in the window (1 to 8, default 2)\n"
    "  --screen WxH       the device screen's size (default 240x320)\n"
    "  --lang en|zh       the language of the texts (default: from LC_ALL, LC_MESSAGES, LANG)\n"
    "  --headless         run without a window, reading input from a script\n"
    "  --script FILE|-    the script of the headless runner (- reads standard input)\n"
    "  --realtime         really wait in pauses (headless)\n"
    "  --print-catalogue  list the problem records built into the program\n"
    "  PATH..., --problems PATH...\n"
    "                     open SGF files, folders of them or zips of them as a collection\n"
    "  --collection NAME  open a kept collection (builtin: the built-in problems)\n"
    "  --builtin          open the built-in problems\n"
    "  --collections      list the kept collections\n"
    "  --progress         the outcome of every problem of the kept collections (or of NAME's)\n"
    "  --remove-collection NAME  forget a kept collection and its outcomes\n"
    "The current problem is kept in $VOSTRA_CONFIG_DIR, else $XDG_CONFIG_HOME/vostra,\n"
    "else ~/.config/vostra; collections in $VOSTRA_DATA_DIR, else $XDG_DATA_HOME/vostra,\n"
    "else ~/.local/share/vostra (in its folder collections).\n";

bool parseSize(const char* text, int& width, int& height) {
    int w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text, "%d%c%d%c", &w, &x, &h, &extra) != 3 || x != 'x') return false;
    if (w < 64 || h < 128 || w > 4096 || h > 4096) return false;
    width = w;
    height = h;
    return true;
}

}  // namespace

bool startCollections(const LaunchOptions& o) {
    CollectionRequest request;
    request.paths = o.problems;
    request.collection = o.collection;
    request.builtIn = o.builtIn;
    return prepareCollections(request, stderr);
}

bool parseLaunchOptions(int argc, char** argv, LaunchOptions& o, std::string& error) {
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

static int runHeadless(const LaunchOptions& options) {
    std::ifstream file;
    std::istream* in = &std::cin;
    std::string name = "-";
    if (options.script != "-") {
        file.open(options.script);
        if (!file) {
            std::fprintf(stderr, "vostra: cannot read %s\n", options.script.c_str());
            return 2;
        }
        in = &file;
        name = options.script;
    }
    // Kept for the life of the process: the platform may still speak to its
    // front-end while static objects are destroyed at exit.
    auto* runner = new ScriptRunner(*in, name, options.realtime);
    setLanguageOption(options.language);
    platformStart(options.width, options.height, runner);
    if (!startCollections(options)) return 2;
    createTheGame();
    startHost();
    const int result = WinMain(nullptr, nullptr, const_cast<LPWSTR>(L""), SW_SHOW);
    std::fflush(stdout);
    return result;
}

int main(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    if (!parseLaunchOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "vostra: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (options.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("vostra %s\n", VOSTRA_VERSION);
        return 0;
    }
    if (options.printCatalogue) {
        for (int32 i = 1; i <= problemCatalogueCount; ++i) std::printf("%s\n", ProblemCatalogue[i]);
        return 0;
    }
    if (options.listCollections) return listCollections(stdout);
    if (options.progress) return printProgress(options.collection, stdout, stderr);
    if (!options.removeCollection.empty()) return removeCollection(options.removeCollection, stdout, stderr);
    if (options.headless) return runHeadless(options);
#ifdef VOSTRA_HAVE_SDL2
    return runDesktop(options);
#else
    std::fprintf(stderr, "vostra: this build has no desktop window; run it with --headless --script FILE\n");
    return 1;
#endif
}
