// The desktop window resized under Xvfb: the device screen keeps a whole
// scale, centred above the caption panel, a click lands on the point under
// it, and stones stay round.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "game/layout.h"
#include "platform/desktop/panel.h"
#include "tests/solving_support.h"
#include "tests/support.h"

namespace {

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool black(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        return p[0] < 40 && p[1] < 40 && p[2] < 40;
    }
};

Image readPpm(const std::string& path)
{
    Image img;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> img.width >> img.height >> maxValue) || magic != "P6") return Image();
    in.get();
    img.rgb.resize(size_t(img.width) * img.height * 3);
    in.read(reinterpret_cast<char*>(img.rgb.data()), std::streamsize(img.rgb.size()));
    return in ? img : Image();
}

// Length of the run of black pixels through (x, y) along (dx, dy).
int blackRun(const Image& img, int x, int y, int dx, int dy)
{
    int n = 1;
    for (int k = 1; img.black(x + k * dx, y + k * dy); ++k) ++n;
    for (int k = 1; img.black(x - k * dx, y - k * dy); ++k) ++n;
    return n;
}

}  // namespace

#ifdef VOSTRA_X11_PROBE
TEST(DesktopWindow, ResizedWindowMapsClicksAndKeepsStonesRound)
{
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) GTEST_SKIP() << "xvfb-run is not installed";
    if (std::system("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER '" VOSTRA_BIN
                    "' 2>&1 | grep -q 'no desktop window'") == 0)
        GTEST_SKIP() << "built without SDL2";
    TempConfigDir dir;
    // Problem 1's point C16 (column 3, row 4), empty at the start, with empty
    // or white neighbours, so that its stone's black pixels stand alone.
    auto g = solving_test::decodedBoard(catalogueRecords().at(0));
    const int sx = pointCenterX(*g, 3), sy = pointCenterY(*g, 4) + 26;  // below the title bar
    // 1000x1200 holds 240x(320 + panel) twice over at most, centred.
    const int scale = std::min(1000 / 240, 1200 / (320 + kPanelHeight));
    ASSERT_EQ(scale, 2);
    const int left = (1000 - 240 * scale) / 2, top = (1200 - (320 + kPanelHeight) * scale) / 2;
    const int wx = left + sx * scale + scale / 2, wy = top + sy * scale + scale / 2;

    const std::string before = dir.file("before.ppm"), after = dir.file("after.ppm");
    const std::string env = "VOSTRA_CONFIG_DIR='" + dir.path() + "' SDL_AUDIODRIVER=dummy ";
    const std::string probe = std::string("'") + VOSTRA_X11_PROBE + "' Vostra resize 1000 1200 sleep 800 shot '" +
                              before + "' click " + std::to_string(wx) + " " + std::to_string(wy) +
                              " sleep 1500 shot '" + after + "'";
    const std::string command = "timeout 60 xvfb-run -a -s '-screen 0 1280x1280x24' sh -c \"" + env +
                                "'" VOSTRA_BIN "' --scale 1 & P=\\$!; " + probe +
                                "; echo probe=\\$?; kill -TERM \\$P; wait \\$P\" 2>&1";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    ASSERT_NE(out.find("probe=0"), std::string::npos) << out;

    const Image a = readPpm(before), b = readPpm(after);
    ASSERT_EQ(a.width, 1000) << out;
    ASSERT_EQ(b.height, 1200);
    const int off = g->stoneRadius / 2 * scale;  // inside the stone, off the grid lines
    EXPECT_FALSE(a.black(wx + off, wy + off));
    EXPECT_TRUE(b.black(wx + off, wy + off));
    // The stone's chords at the same distance from its centre, across and
    // down, are as long as each other: the stone is round, not stretched.
    const int across = blackRun(b, wx, wy + off, 1, 0), down = blackRun(b, wx + off, wy, 0, 1);
    EXPECT_GT(across, 2 * off);
    EXPECT_EQ(across, down);
}
#endif
