// The headless runner as a program: script commands, transcript, dump, shot,
// errors, the catalogue listing, and line-by-line driving through a pipe.
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "game/catalogue.h"
#include "tests/platform_support.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status = -1;
    std::string out, err;
};

fs::path scratchDir() {
    return fs::temp_directory_path() / ("vostra_runner_" + std::to_string(getpid()));
}

fs::path scratch(const std::string& name) {
    fs::create_directories(scratchDir());
    return scratchDir() / name;
}

// Runs the program with a shell command line, capturing both streams.
RunResult runVostra(const std::string& args) {
    const std::string out = scratch("out.txt").string(), err = scratch("err.txt").string();
    RunResult r;
    // A configuration folder of its own: no stored problem from elsewhere, and
    // no other copy of the program to defer to.
    const std::string config = scratch("config").string();
    r.status = std::system(
        ("VOSTRA_CONFIG_DIR=" + config + " " + std::string(VOSTRA_BIN) + " " + args + " >" + out + " 2>" + err)
            .c_str());
    auto slurp = [](const std::string& p) {
        std::ifstream f(p);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    r.out = slurp(out);
    r.err = slurp(err);
    r.status = WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1;
    return r;
}

fs::path writeScript(const std::string& name, const std::string& text) {
    const fs::path p = scratch(name);
    std::ofstream(p) << text;
    return p;
}

// Width and height from a PNG file's header, or {0, 0}.
std::pair<int, int> pngSize(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    unsigned char h[24] = {};
    f.read(reinterpret_cast<char*>(h), 24);
    if (!f || std::memcmp(h, "\x89PNG\r\n\x1a\n", 8) != 0 || std::memcmp(h + 12, "IHDR", 4) != 0) return {0, 0};
    auto be = [&](int i) { return (h[i] << 24) | (h[i + 1] << 16) | (h[i + 2] << 8) | h[i + 3]; };
    return {be(16), be(20)};
}

class RunnerTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratchDir(), ignored);
    }
};

TEST_F(RunnerTest, DumpShotAndScreenSize) {
    const fs::path shot = scratch("board.png"), big = scratch("big.png");
    const fs::path script =
        writeScript("a.txt", "# a comment\n\nwait 100   # time passes, nothing is written\ndump\nshot " +
                                 shot.string() + "\nmove 3 3\n");
    const RunResult r = runVostra("--headless --script " + script.string());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(pngSize(shot), std::make_pair(240, 320));
    // board C R, R rows of C points, then the state line.
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line) && line.rfind("board ", 0) != 0) {
    }
    int cols = 0, rows = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "board %d %d", &cols, &rows), 2) << r.out;
    EXPECT_TRUE(cols >= 3 && cols <= 19 && rows >= 3 && rows <= 19);
    for (int i = 0; i < rows; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_TRUE(std::regex_match(line, std::regex("[.XO]{" + std::to_string(cols) + "}"))) << line;
    }
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_TRUE(std::regex_match(line, std::regex("state problem=\\d+ node=\\d+ depth=\\d+ move=\\d+ side=[BW] "
                                                  "solved=[01] failed=[01] pending=[01] offtree=[01] free=[01] "
                                                  "history=[A-T]*")))
        << line;

    const fs::path script2 = writeScript("b.txt", "shot " + big.string() + "\n");
    EXPECT_EQ(runVostra("--headless --screen 480x640 --script " + script2.string()).status, 0);
    EXPECT_EQ(pngSize(big), std::make_pair(480, 640));
}

TEST_F(RunnerTest, ErrorsNameTheLineAndStopWithStatusTwo) {
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
        const fs::path script = writeScript("bad.txt", c.script);
        const RunResult r = runVostra("--headless --script " + script.string());
        EXPECT_EQ(r.status, 2) << c.script;
        EXPECT_EQ(r.err, script.string() + c.message + "\n");
    }
    // Output made before the error is not lost.
    EXPECT_NE(runVostra("--headless --script " + writeScript("bad.txt", "dump\nbad\n").string()).out.find("state "),
              std::string::npos);
    EXPECT_EQ(runVostra("--headless").status, 2);
    EXPECT_EQ(runVostra("--headless --script - --screen 10x10 </dev/null").status, 2);
    EXPECT_EQ(runVostra("--bogus").status, 2);
}

TEST_F(RunnerTest, PrintsTheCatalogue) {
    const RunResult r = runVostra("--print-catalogue");
    ASSERT_EQ(r.status, 0);
    std::string expected;
    for (int32 i = 1; i <= problemCatalogueCount; ++i) expected += std::string(ProblemCatalogue[i]) + "\n";
    EXPECT_EQ(r.out, expected);
}

// Another program can drive the runner line by line: the answer to each line
// arrives before the next line is written.
TEST_F(RunnerTest, AnswersEachLineThroughAPipe) {
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const std::string config = scratch("config").string();
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        setenv("VOSTRA_CONFIG_DIR", config.c_str(), 1);
        execl(VOSTRA_BIN, VOSTRA_BIN, "--headless", "--script", "-", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    auto readUntilState = [&] {
        std::string got;
        char buf[4096];
        pollfd p{fromChild[0], POLLIN, 0};
        while (got.find("\nstate ") == std::string::npos || got.back() != '\n') {
            if (poll(&p, 1, 20000) <= 0) break;
            const ssize_t n = read(fromChild[0], buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, size_t(n));
        }
        return got;
    };
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(write(toChild[1], "dump\n", 5), 5);
        EXPECT_NE(readUntilState().find("state problem="), std::string::npos) << "round " << i;
    }
    close(toChild[1]);  // end of script: the program closes
    int status = 0;
    waitpid(pid, &status, 0);
    close(fromChild[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
