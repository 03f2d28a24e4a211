// The headless runner as a program: script commands, dump and shot (the
// screenshot of the loaded problem checked pixel by pixel against the layout
// computed from its record and the position dumped), errors and the catalogue
// listing.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "game/catalogue.h"
#include "game/context.h"
#include "game/layout.h"
#include "problems/record.h"
#include "tests/support.h"

namespace {

void checkShot(int screenW, int screenH)
{
    SCOPED_TRACE(std::to_string(screenW) + "x" + std::to_string(screenH));
    TempConfigDir dir;
    const std::string shot = dir.file("board.png");
    Output run = runScript(
        dir.path(), "# a comment\n\nwait 100   # time passes, nothing is written\nshot " + shot + "\ndump\nmove 3 3\n",
        "--lang en --screen " + std::to_string(screenW) + "x" + std::to_string(screenH));
    ASSERT_EQ(run.status, 0) << run.out;

    // The layout the problem should get, from its record.
    std::string record = catalogueRecords().at(0);
    std::vector<char> buffer(record.begin(), record.end());
    buffer.push_back('\0');
    auto g = std::make_unique<GameContext>();
    decodeRecord(*g, reinterpret_cast<const uint8_t*>(buffer.data()), unpackRecord(buffer.data()));
    g->boardAreaWidth = screenW;
    g->boardAreaHeight = g->statusBottom = screenH - 52;
    fitBoardToProblem(*g);

    // board C R, R rows of C points, then the state line.
    const std::vector<std::string> lines = splitLines(run.out);
    size_t at = 0;
    int cols = 0, rows = 0;
    while (at < lines.size() && std::sscanf(lines[at].c_str(), "board %d %d", &cols, &rows) != 2) ++at;
    ASSERT_EQ(cols, g->visibleCols) << run.out;
    ASSERT_EQ(rows, g->visibleRows);
    ASSERT_GT(lines.size(), at + rows + 1);
    const std::vector<std::string> board(lines.begin() + at + 1, lines.begin() + at + 1 + rows);
    for (const std::string& line : board)
        EXPECT_TRUE(std::regex_match(line, std::regex("[.XO]{" + std::to_string(cols) + "}"))) << line;
    EXPECT_TRUE(
        std::regex_match(lines[at + rows + 1], std::regex("state problem=\\d+ node=\\d+ depth=\\d+ move=\\d+ side=[BW] "
                                                          "solved=[01] failed=[01] pending=[01] offtree=[01] free=[01] "
                                                          "history=[A-T]*")))
        << lines[at + rows + 1];

    int width = 0;
    std::vector<uint32_t> px = readPng(shot, &width);
    ASSERT_EQ(px.size(), size_t(screenW) * screenH);
    auto pixel = [&](int x, int y) { return px[size_t(y + 26) * width + x]; };
    const int r = g->stoneRadius, areaH = screenH - 52;
    int stones = 0;
    for (int col = 1; col <= cols; ++col)
        for (int row = 1; row <= rows; ++row) {
            const int cx = pointCenterX(*g, col), cy = pointCenterY(*g, row);
            if (cx + r > screenW || cy + r > areaH - 32) continue;  // cut off, or under the status strip
            const char stone = board[row - 1][col - 1];
            SCOPED_TRACE("point " + std::to_string(col) + "," + std::to_string(row));
            if (stone == '.') {
                EXPECT_EQ(pixel(cx, cy), col == 1 && row == 1 ? 0xFF0000u : 0x000000u);  // grid, or the dot
                EXPECT_EQ(pixel(cx + r / 2 + 1, cy + r / 2 + 1), 0xFFFF00u);
            } else {
                ++stones;
                EXPECT_EQ(pixel(cx - r / 2, cy - r / 2), stone == 'X' ? 0x000000u : 0xFFFFFFu);
                // The outline, where the highlight box at (1,1) does not cover it.
                EXPECT_EQ(pixel(cx - r, cy), col == 1 && row == 1 ? 0xFF0000u : 0x000000u);
            }
            EXPECT_EQ(pixel(cx + r, cy - 1 - r / 2), 0xFFFF00u);  // just right of the stone's box
        }
    EXPECT_GT(stones, 10);
    // After the start the last-move dot and the highlight box stand on (1,1).
    const int c1 = pointCenterX(*g, 1);
    EXPECT_EQ(pixel(c1, c1), 0xFF0000u);
    EXPECT_EQ(pixel(c1 - r, c1 - r), 0xFF0000u);
    EXPECT_EQ(pixel(c1 + r - 1, c1 + r - 1), 0xFF0000u);
    // The yellow board stops at 19 cells and two pixels.
    const int edge = 19 * g->cellSize + 2;
    if (edge < screenW) {
        EXPECT_NE(pixel(edge, 10), 0xFFFF00u);
    }
    if (edge < areaH) {
        EXPECT_NE(pixel(10, edge), 0xFFFF00u);
    }
}

}  // namespace

TEST(Runner, ShotOfTheLoadedProblemOnBothScreenSizes)
{
    checkShot(240, 320);
    checkShot(480, 640);
}

TEST(Runner, ErrorsNameTheLineAndStopWithStatusTwo)
{
    TempConfigDir dir;
    const std::string script = dir.file("bad.txt"), err = dir.file("err.txt");
    auto run = [&](const std::string& text, const std::string& args = "") {
        writeFile(script, text);
        return runCommand(kVostra + " --headless --script " + script + " " + args + " 2>" + err);
    };
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"dump\nfrobnicate 1\n", ":2: unknown command 'frobnicate'"},
        {"tap 1 x\n", ":1: malformed number 'x'"},
        {"\n\nwait 1e3\n", ":3: malformed number '1e3'"},
        {"softkey 5\n", ":1: soft key number must be 1 to 4"},
        {"tap 1\n", ":1: usage: tap X Y"},
    };
    for (const auto& c : cases) {
        const Output r = run(c.script);
        EXPECT_EQ(r.status, 2) << c.script;
        EXPECT_EQ(readFile(err), script + c.message + "\n");
        // Output made before the error is not lost.
        if (c.script[0] == 'd') {
            EXPECT_NE(r.out.find("state "), std::string::npos);
        }
    }
    EXPECT_EQ(runCommand(kVostra + " --headless 2>/dev/null").status, 2);
    EXPECT_EQ(runCommand(kVostra + " --headless --script - --screen 10x10 </dev/null 2>/dev/null").status, 2);
    EXPECT_EQ(runCommand(kVostra + " --bogus 2>/dev/null").status, 2);
}

TEST(Runner, PrintsTheCatalogue)
{
    std::vector<std::string> expected;
    for (int32 i = 1; i <= problemCatalogueCount; ++i) expected.push_back(ProblemCatalogue[i]);
    EXPECT_EQ(catalogueRecords(), expected);
}
