// The program's executable: the headless runner (--headless --script FILE),
// the catalogue listing (--print-catalogue), the collection listings and,
// where it is built in, the desktop window.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/game_dump.h"
#include "app/launch.h"
#include "app/startup.h"
#include "captions/captions.h"
#include "game/catalogue.h"
#include "host/native_host.h"
#include "host/trainer_host.h"
#include "platform/headless/script_runner.h"
#ifdef VOSTRA_HAVE_SDL2
#include "platform/desktop/desktop.h"
#endif

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

StartUp startUp(const LaunchOptions& o, FrontEnd* frontEnd)
{
    StartUp s;
    s.width = o.width;
    s.height = o.height;
    s.language = o.language;
    s.frontEnd = frontEnd;
    s.prepareCollections = [&o] {
        CollectionRequest request;
        request.paths = o.problems;
        request.collection = o.collection;
        request.builtIn = o.builtIn;
        return prepareCollections(request, stderr);
    };
    return s;
}

bool openWhileRunning(const std::vector<std::string>& paths) { return openPathsWhileRunning(paths, stderr); }

int runHeadless(const LaunchOptions& options)
{
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
    ScriptCommands commands;
    commands.open = openWhileRunning;
    commands.openBuiltIn = switchToBuiltIn;
    commands.dump = dumpGame;
    commands.idle = [] { followCaptions(); };
    // Kept for the life of the process: the platform may still speak to its
    // front-end while static objects are destroyed at exit.
    auto* runner = new ScriptRunner(*in, name, options.realtime, std::move(commands));
    const int result = runProgram(startUp(options, runner));
    std::fflush(stdout);
    return result;
}

#ifdef VOSTRA_HAVE_SDL2
int runDesktop(const LaunchOptions& options)
{
    DesktopHooks hooks;
    hooks.openPaths = openWhileRunning;
    hooks.statusLine = hostStatusLine;
    hooks.followCaption = [](std::string& caption) {
        if (!followCaptions()) return false;
        caption = currentCaption();
        return true;
    };
    FrontEnd* desktop = openDesktop(options.scale, std::move(hooks));
    if (!desktop) return 1;
    const int result = runProgram(startUp(options, desktop));
    return closeDesktop(result);
}
#endif

}  // namespace

int main(int argc, char** argv)
{
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
