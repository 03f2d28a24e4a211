// The headless runner's screenshot of a loaded problem, on both screen sizes,
// checked pixel by pixel against the layout computed from the problem's record
// and the position the runner dumps.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/context.h"
#include "problems/record.h"
#include "tests/png_support.h"
#include "tests/shell_support.h"
#include "game/layout.h"

namespace {

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

void checkShot(int screenW, int screenH)
{
    SCOPED_TRACE(std::to_string(screenW) + "x" + std::to_string(screenH));
    TempConfigDir dir;
    const std::string shot = dir.file("board.png");
    const std::string screen = std::to_string(screenW) + "x" + std::to_string(screenH);
    std::string out = run("printf 'shot " + shot + "\\ndump\\n' | '" VOSTRA_BIN "' --headless --lang en --screen " +
                          screen + " --script -");

    // The layout the problem should get, from its record.
    std::string record = run("'" VOSTRA_BIN "' --print-catalogue");
    record = record.substr(0, record.find('\n'));
    std::vector<char> buffer(record.begin(), record.end());
    buffer.push_back('\0');
    auto g = std::make_unique<GameContext>();
    int32 bytes = unpackRecord(buffer.data());
    decodeRecord(*g, reinterpret_cast<const uint8_t*>(buffer.data()), bytes);
    g->boardAreaWidth = screenW;
    g->boardAreaHeight = g->statusBottom = screenH - 52;
    fitBoardToProblem(*g);

    std::istringstream lines(out);
    std::string line;
    int cols = 0, rows = 0;
    while (std::getline(lines, line) && std::sscanf(line.c_str(), "board %d %d", &cols, &rows) != 2) {
    }
    ASSERT_EQ(cols, g->visibleCols) << out;
    ASSERT_EQ(rows, g->visibleRows);
    std::vector<std::string> board(rows);
    for (std::string& r : board) std::getline(lines, r);

    int width = 0;
    std::vector<uint32_t> px = readPng(shot, &width);
    ASSERT_EQ(px.size(), size_t(screenW) * screenH);
    auto at = [&](int x, int y) { return px[size_t(y + 26) * width + x]; };
    const int r = g->stoneRadius, areaH = screenH - 52;
    int stones = 0;
    for (int col = 1; col <= cols; ++col)
        for (int row = 1; row <= rows; ++row) {
            const int cx = pointCenterX(*g, col), cy = pointCenterY(*g, row);
            if (cx + r > screenW || cy + r > areaH - 32) continue;  // cut off, or under the status strip
            const char stone = board[row - 1][col - 1];
            SCOPED_TRACE("point " + std::to_string(col) + "," + std::to_string(row));
            if (stone == '.') {
                EXPECT_EQ(at(cx, cy), col == 1 && row == 1 ? 0xFF0000u : 0x000000u);  // grid, or the dot
                EXPECT_EQ(at(cx + r / 2 + 1, cy + r / 2 + 1), 0xFFFF00u);
            } else {
                ++stones;
                EXPECT_EQ(at(cx - r / 2, cy - r / 2), stone == 'X' ? 0x000000u : 0xFFFFFFu);
                // The outline, where the highlight box at (1,1) does not cover it.
                EXPECT_EQ(at(cx - r, cy), col == 1 && row == 1 ? 0xFF0000u : 0x000000u);
            }
            EXPECT_EQ(at(cx + r, cy - 1 - r / 2), 0xFFFF00u);  // just right of the stone's box
        }
    EXPECT_GT(stones, 10);
    // After the start the last-move dot and the highlight box stand on (1,1).
    const int c1 = pointCenterX(*g, 1);
    EXPECT_EQ(at(c1, c1), 0xFF0000u);
    EXPECT_EQ(at(c1 - r, c1 - r), 0xFF0000u);
    EXPECT_EQ(at(c1 + r - 1, c1 + r - 1), 0xFF0000u);
    // The yellow board stops at 19 cells and two pixels.
    const int edge = 19 * g->cellSize + 2;
    if (edge < screenW) {
        EXPECT_NE(at(edge, 10), 0xFFFF00u);
    }
    if (edge < areaH) {
        EXPECT_NE(at(10, edge), 0xFFFF00u);
    }
}

}  // namespace

TEST(RunnerScreenshot, LoadedProblemStandsWhereTheLayoutPutsIt)
{
    checkShot(240, 320);
    checkShot(480, 640);
}
