// compile --complete and check --prove as a user runs them on a folder: the
// summary, problems the solver cannot read compiled as written with their
// file:line, completed SGF written, sources found from the catalogue, and the
// exit statuses.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tools/json_text.h"
#include "tools/work_pool.h"

namespace fs = std::filesystem;

namespace {

int run(const std::string& args, std::string& out)
{
    const std::string cmd = std::string(VOSTRA_PROBLEMS_BIN) + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    out.clear();
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    const int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void write(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

const char kBentThree[] =
    "(;FF[4]GM[1]SZ[19]PL[B]C[Black to kill.]AB[ad][bd][cc][cd][db][ea][eb]AW[ac][bb][bc][ca][cb][da]TR[ca]"
    ";B[aa]C[Correct.])\n";
const char kWholeBoard[] =
    "(;FF[4]GM[1]SZ[19]PL[B]C[Black to kill.]AB[aa][ss][jj][dp]AW[as][sa][jk][pd]TR[jk]\n"
    "(;B[jl]C[Correct.])(;B[kk];W[jl]C[Wrong.]))\n";

class SolverCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vostra-solver-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

}  // namespace

TEST_F(SolverCommands, CompleteThenProveAFolder)
{
    write(dir_ / "sgf" / "a-bent-three.sgf", kBentThree);
    write(dir_ / "sgf" / "b-whole-board.sgf", kWholeBoard);
    std::string out;
    const std::string catalogue = (dir_ / "catalogue.txt").string();
    ASSERT_EQ(run("compile -q --complete --sgf-out " + (dir_ / "completed").string() + " -o " + catalogue + " " +
                      (dir_ / "sgf").string(),
                  out),
              0)
        << out;
    EXPECT_NE(out.find("b-whole-board.sgf:1: warning: not completed: the stones spread over the whole board"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("1 completed by the solver"), std::string::npos) << out;
    EXPECT_NE(out.find("1 compiled as written"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(dir_ / "completed" / "a-bent-three.sgf"));
    EXPECT_FALSE(fs::exists(dir_ / "completed" / "b-whole-board.sgf"));

    // The catalogue names its sources by the paths given; check finds them.
    ASSERT_EQ(run("check --prove " + catalogue, out), 0) << out;
    EXPECT_NE(out.find("proof: "), std::string::npos) << out;
    EXPECT_NE(out.find("not proven: the stones spread over the whole board"), std::string::npos) << out;
    EXPECT_NE(out.find("proofs: 1 proven in every line, 0 with unproven lines, 1 the solver cannot read"),
              std::string::npos)
        << out;

    // A source that has gone is a failure, not a silent pass.
    fs::remove(dir_ / "sgf" / "a-bent-three.sgf");
    EXPECT_EQ(run("check --prove " + catalogue, out), 1) << out;
    EXPECT_NE(out.find("cannot prove: the source"), std::string::npos) << out;
}

TEST_F(SolverCommands, SolveJudgesTheBooksMoveAndSkipsAFirstTryMarkedWrong)
{
    // The main line starts with a wrong try that marks itself with a
    // triangle, as some transcriptions do; the book's move is the next one.
    std::string sgf = kBentThree;
    sgf.replace(sgf.find(";B[aa]C[Correct.])"), std::string::npos, "(;B[ba]TR[ba];W[aa])(;B[aa]C[Correct.]))\n");
    write(dir_ / "p.sgf", sgf);
    std::string out;
    ASSERT_EQ(run("solve --json " + (dir_ / "p.sgf").string(), out), 0) << out;
    EXPECT_NE(out.find("\"book\":\"aa\",\"bookColour\":\"B\",\"bookResult\":\"unconditional\""), std::string::npos)
        << out;
    EXPECT_NE(out.find("\"bookMs\":"), std::string::npos) << out;
    EXPECT_NE(out.find("\"resultMs\":"), std::string::npos) << out;
}

TEST_F(SolverCommands, OptionsGoWithWhatTheyNeed)
{
    std::string out;
    write(dir_ / "p.sgf", kBentThree);
    EXPECT_EQ(run("compile --goal kill " + (dir_ / "p.sgf").string(), out), 2) << out;
    EXPECT_EQ(run("solve --goal win " + (dir_ / "p.sgf").string(), out), 2) << out;
    EXPECT_EQ(run("solve --budget soon " + (dir_ / "p.sgf").string(), out), 2) << out;
    EXPECT_EQ(run("solve " + (dir_ / "missing.sgf").string(), out), 1) << out;
    EXPECT_NE(out.find("missing.sgf: cannot read"), std::string::npos) << out;
}

TEST(SolverSupport, JobsRunOnceEachAndJsonStaysValid)
{
    std::vector<std::atomic<int>> runs(97);
    runJobs(
        runs.size(), [&](size_t i) { return ++runs[i] > 1; }, Progress());
    for (const std::atomic<int>& r : runs) EXPECT_EQ(r.load(), 1);

    EXPECT_EQ(jsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(jsonString("\xe6\xb4\xbb"), "\"\xe6\xb4\xbb\"");        // valid UTF-8 kept
    EXPECT_EQ(jsonString("\xbb\xee.sgf"), "\"\\u00bb\\u00ee.sgf\"");  // GBK file names escaped by byte
}
