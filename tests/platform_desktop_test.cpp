// The desktop program: its options, the message without a display, and,
// under Xvfb where it is installed, a window that opens, hands over to a
// second copy's request and closes cleanly, storing the problem number.
#include <gtest/gtest.h>

#include "tests/support.h"

TEST(DesktopProgram, HelpVersionAndBadOptions)
{
    Output help = runCommand(kVostra + " --help 2>&1");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--scale N", "--screen WxH", "--lang en|zh", "--headless", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    Output version = runCommand(kVostra + " --version 2>&1");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("vostra 1.", 0), 0u) << version.out;
    for (const char* bad : {"--scale 0", "--scale 9", "--scale x", "--scale"})
        EXPECT_EQ(runCommand(kVostra + " " + bad + " 2>&1").status, 2) << bad;
}

TEST(DesktopProgram, WithoutADisplayItSaysSoInOneLine)
{
    TempConfigDir dir;
    Output o = runCommand("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + kVostra + " --scale 1 2>&1");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 1) << o.out;
    EXPECT_NE(o.out.find("--headless"), std::string::npos) << o.out;
    // Nothing was started, so nothing was stored.
    EXPECT_FALSE(std::ifstream(dir.file("registry.reg")).good());
}

TEST(DesktopProgram, WindowUnderXvfb)
{
    if (runCommand("command -v xvfb-run").status != 0) GTEST_SKIP() << "xvfb-run is not installed";
    TempConfigDir dir;
    const std::string env = "SDL_AUDIODRIVER=dummy ";
    // The first copy opens its window; a second one hands over and leaves;
    // the first closes on SIGTERM (the window manager's close) and stores.
    Output o = runCommand("timeout 60 xvfb-run -a sh -c \"" + env + kVostra + " --scale 1 & P=\\$!; sleep 2; " + env +
                          "timeout 20 " + kVostra +
                          " --scale 1; echo second=\\$?; kill -TERM \\$P; wait \\$P; echo first=\\$?\" 2>&1");
    if (o.out.find("no desktop window") != std::string::npos) GTEST_SKIP() << "built without SDL2";
    EXPECT_NE(o.out.find("second=0"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("first=0"), std::string::npos) << o.out;
    EXPECT_NE(readFile(dir.file("registry.reg")).find("\"CurrentProblemNo\"=dword:00000001"), std::string::npos);
}
