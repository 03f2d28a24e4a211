// The program in the browser: the page's front-end, the collection the page
// hands over, then the shared start-up.
#include <emscripten.h>

#include "app/startup.h"
#include "app/web_collections.h"
#include "captions/captions.h"
#include "game/context.h"
#include "platform/web/web_frontend.h"
#include "shell/dialogs.h"

namespace {

bool g_running = false;

}  // namespace

extern "C" {

// The page is going away (closed, reloaded, or hidden and perhaps never shown
// again): keep the current problem number as the program does when it ends.
EMSCRIPTEN_KEEPALIVE void vostra_page_hidden()
{
    if (g_running) storeProblem(theGame().currentProblem);
}

}  // extern "C"

int main()
{
    StartUp s;
    s.width = pageScreenWidth();
    s.height = pageScreenHeight();
    s.frontEnd = startWebFrontEnd([] { followCaptions(); });
    s.language = pageLanguage();
    s.prepareCollections = [] {
        prepareWebCollections();
        // The page gets control back only once the program waits for input,
        // when the game exists.
        g_running = true;
        return true;
    };
    const int result = runProgram(s);
    g_running = false;
    webProgramEnded();
    return result;
}
