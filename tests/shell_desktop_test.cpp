// The desktop program: its options, the message without a display, and,
// under Xvfb where it is installed, a window that opens, hands over to a
// second copy's request and closes cleanly, storing the problem number.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/shell_support.h"

namespace {

struct Output {
    int status = -1;
    std::string text;
};

Output shell(const std::string& command)
{
    Output o;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) o.text.append(buffer, n);
        const int status = pclose(p);
        o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return o;
}

const std::string kProgram = std::string("'") + VOSTRA_BIN + "'";

}  // namespace

TEST(DesktopProgram, HelpVersionAndBadOptions)
{
    Output help = shell(kProgram + " --help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--scale N", "--screen WxH", "--lang en|zh", "--headless", "--version"})
        EXPECT_NE(help.text.find(option), std::string::npos) << option;
    Output version = shell(kProgram + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.text.rfind("vostra 1.", 0), 0u) << version.text;
    for (const char* bad : {"--scale 0", "--scale 9", "--scale x", "--scale"}) EXPECT_EQ(shell(kProgram + " " + bad).status, 2) << bad;
}

TEST(DesktopProgram, WithoutADisplayItSaysSoInOneLine)
{
    TempConfigDir dir;
    Output o = shell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER VOSTRA_CONFIG_DIR='" + dir.path() + "' " +
                     kProgram + " --scale 1");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(std::count(o.text.begin(), o.text.end(), '\n'), 1) << o.text;
    EXPECT_NE(o.text.find("--headless"), std::string::npos) << o.text;
    // Nothing was started, so nothing was stored.
    EXPECT_FALSE(std::ifstream(dir.file("registry.reg")).good());
}

TEST(DesktopProgram, WindowUnderXvfb)
{
    if (shell("command -v xvfb-run").status != 0) GTEST_SKIP() << "xvfb-run is not installed";
    TempConfigDir dir;
    const std::string env = "VOSTRA_CONFIG_DIR='" + dir.path() + "' SDL_AUDIODRIVER=dummy ";
    // The first copy opens its window; a second one hands over and leaves;
    // the first closes on SIGTERM (the window manager's close) and stores.
    Output o = shell("timeout 60 xvfb-run -a sh -c \"" + env + kProgram + " --scale 1 & P=\\$!; sleep 2; " + env + "timeout 20 " + kProgram +
                     " --scale 1; echo second=\\$?; kill -TERM \\$P; wait \\$P; echo first=\\$?\"");
    if (o.text.find("no desktop window") != std::string::npos) GTEST_SKIP() << "built without SDL2";
    EXPECT_NE(o.text.find("second=0"), std::string::npos) << o.text;
    EXPECT_NE(o.text.find("first=0"), std::string::npos) << o.text;
    std::ifstream store(dir.file("registry.reg"));
    std::stringstream text;
    text << store.rdbuf();
    EXPECT_NE(text.str().find("\"CurrentProblemNo\"=dword:00000001"), std::string::npos) << text.str();
}
