// vostra-problems compile, check and show, run as the build and the user run
// them: folders of files, the catalogue's order and sources, exit statuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/support.h"
#include "tools/catalogue_file.h"

namespace fs = std::filesystem;

namespace {

int run(const std::string& args, std::string& out)
{
    Output r = runCommand(kVostraProblems + " " + args + " 2>&1");
    out = r.out;
    return r.status;
}

void write(const fs::path& path, const std::string& text) { writeFile(path, text); }

class CompilerCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[] = "/tmp/vostra-compiler-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

}  // namespace

TEST_F(CompilerCommand, CompilesFoldersInOrderAndChecksTheResult)
{
    const std::string problem = "(;AB[cc]AW[dd](;B[aa]C[Correct])(;B[ba];W[aa]C[Wrong]))";
    write(dir_ / "sgf" / "b.sgf", problem + "\n" + problem);
    write(dir_ / "sgf" / "a.sgf", problem);
    write(dir_ / "sgf" / "sub" / "c.SGF", problem);
    write(dir_ / "sgf" / "notes.txt", "(;B[aa]C[Correct])");
    write(dir_ / "sgf" / "d.sgf", problem + "\n\n(;B[aa]C[Correct]\n(;W[zz]))");
    write(dir_ / "sgf" / "e.sgf", "(;SZ[9]AB[aa][ii];B[ai]C[Correct])");
    const std::string catalogue = (dir_ / "catalogue.txt").string();

    std::string out;
    ASSERT_EQ(run("compile -o " + catalogue + " " + (dir_ / "sgf").string(), out), 0) << out;
    EXPECT_NE(out.find("d.sgf:4: skipped (game tree 2): W[zz] is not a point"), std::string::npos) << out;
    EXPECT_NE(out.find("e.sgf:1: skipped: the problem uses the far edges"), std::string::npos) << out;
    EXPECT_NE(out.find("5 problems compiled from 5 files, 2 skipped"), std::string::npos) << out;

    std::vector<CatalogueEntry> entries;
    std::string error;
    ASSERT_TRUE(readCatalogueFile(catalogue, entries, error)) << error;
    std::vector<std::string> sources;
    for (const CatalogueEntry& e : entries) sources.push_back(fs::path(e.source).lexically_relative(dir_).string());
    EXPECT_EQ(sources,
              (std::vector<std::string>{"sgf/a.sgf", "sgf/b.sgf:1", "sgf/b.sgf:2", "sgf/d.sgf:1", "sgf/sub/c.SGF"}));
    EXPECT_EQ(entries[0].record, entries[1].record);

    ASSERT_EQ(run("check " + catalogue, out), 0) << out;
    EXPECT_NE(out.find("1 " + (dir_ / "sgf" / "a.sgf").string() + ": 5x5, 4 nodes, 1 successful line\n"),
              std::string::npos)
        << out;
    ASSERT_EQ(run("show --number 1 " + catalogue, out), 0) << out;
    EXPECT_NE(out.find("  A . . ."), std::string::npos) << out;
    EXPECT_NE(out.find("B AA  flag 1  solved"), std::string::npos) << out;

    // A record that does not hold: check fails and says which.
    write(catalogue, entries[0].record + " good\n?>A^100P00E3nZNP8VY910NXY0 worked\n");
    EXPECT_EQ(run("check " + catalogue, out), 1);
    EXPECT_NE(out.find("2 worked: 9x7, 6 nodes, 2 successful lines, FAILED"), std::string::npos) << out;
}

TEST_F(CompilerCommand, FailsOnlyOnUnreadableInputOrNothingCompiled)
{
    write(dir_ / "bad.sgf", "(;B[aa])");
    const std::string catalogue = (dir_ / "out.txt").string();
    std::string out;
    EXPECT_EQ(run("compile -o " + catalogue + " " + (dir_ / "bad.sgf").string(), out), 1);
    EXPECT_NE(out.find("nothing compiled"), std::string::npos) << out;
    write(dir_ / "good.sgf", "(;B[aa]C[Correct])");
    EXPECT_EQ(run("compile -o " + catalogue + " " + dir_.string() + " " + (dir_ / "missing").string(), out), 1);
    EXPECT_NE(out.find("missing: cannot read"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(catalogue));
    EXPECT_EQ(run("compile --main-line-correct " + dir_.string(), out), 0) << out;
    EXPECT_EQ(run("compile --bogus x", out), 2);
    EXPECT_EQ(run("show", out), 2);
}

TEST(CompilerCommandBuilt, ShippedCatalogueChecks)
{
    std::string out;
    EXPECT_EQ(run("check", out), 0) << out;
}
