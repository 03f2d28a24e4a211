// Collections: the kept texts and the zip reader, then the runner opening a
// folder with a broken file, following outcomes across runs, switching back
// to the built-in problems, opening a zip, and setting damaged files aside.
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "host/collection_file.h"
#include "host/open_paths.h"
#include "host/zip_reader.h"
#include "tests/support.h"

namespace {

namespace fs = std::filesystem;

// A one-move kill (B[aa]; B[ba] fails), the same with a far stone added, and
// a file cut off in a move.
const char kKill[] =
    "(;GM[1]FF[4]SZ[19]C[Black to kill.]\n"
    "AB[ad][bd][cc][cd][db][ea][eb]AW[ac][bb][bc][ca][cb][da]\n"
    "(;B[aa]C[Correct.])\n"
    "(;B[ba];W[aa]C[Wrong: White makes two eyes.]))\n";
const char kBroken[] = "(;GM[1]SZ[19]\nAB[aa]\n;B[zz";

std::string kill2() { return std::regex_replace(kKill, std::regex("AW\\[ac\\]"), "AW[ef][ac]"); }

// A zip of (name, text) entries, deflated.
std::string makeZip(const std::vector<std::pair<std::string, std::string>>& files)
{
    std::string out, directory;
    auto u16 = [](std::string& s, uint32_t v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
    auto u32 = [&](std::string& s, uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
    for (const auto& [name, text] : files) {
        std::string packed(compressBound(uLong(text.size())) + 16, '\0');
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z.avail_in = uInt(text.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = uInt(packed.size());
        deflate(&z, Z_FINISH);
        packed.resize(z.total_out);
        deflateEnd(&z);
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(text.data()), uInt(text.size())));
        const uint32_t offset = uint32_t(out.size());
        u32(out, 0x04034b50), u16(out, 20), u16(out, 0), u16(out, 8), u32(out, 0), u32(out, crc);
        u32(out, uint32_t(packed.size())), u32(out, uint32_t(text.size())), u16(out, uint16_t(name.size())),
            u16(out, 0);
        out += name + packed;
        u32(directory, 0x02014b50), u16(directory, 20), u16(directory, 20), u16(directory, 0), u16(directory, 8);
        u32(directory, 0), u32(directory, crc), u32(directory, uint32_t(packed.size()));
        u32(directory, uint32_t(text.size())), u16(directory, uint16_t(name.size()));
        for (int i = 0; i < 4; ++i) u16(directory, 0);
        u32(directory, 0), u32(directory, offset);
        directory += name;
    }
    const uint32_t at = uint32_t(out.size());
    out += directory;
    u32(out, 0x06054b50), u16(out, 0), u16(out, 0), u16(out, uint16_t(files.size())), u16(out, uint16_t(files.size()));
    u32(out, uint32_t(directory.size())), u32(out, at), u16(out, 0);
    return out;
}

bool anyName(std::string_view) { return true; }

TEST(CollectionFile, EveryCutShortTextIsRefused)
{
    Collection c;
    c.name = "Test";
    c.records = {"ab0", "cd1"};
    c.sources = {"a.sgf", "b.sgf:2"};
    c.extra["captions"] = {"1 Black to kill", "2 Black to live"};
    const std::string text = formatCollection(c);
    Collection back;
    std::string error;
    ASSERT_TRUE(parseCollection(text, back, error)) << error;
    EXPECT_EQ(back.records, c.records);
    EXPECT_EQ(back.sources, c.sources);
    EXPECT_EQ(back.extra, c.extra);
    // A kill while writing leaves a prefix; none of them may pass for a collection.
    for (size_t n = 0; n + 1 < text.size(); ++n) EXPECT_FALSE(parseCollection(text.substr(0, n), back, error)) << n;
    EXPECT_FALSE(parseCollection(std::regex_replace(text, std::regex("cd1"), "c~1"), back, error));

    std::vector<Outcome> o = {Outcome::FirstTry, Outcome::Failed};
    const std::string progress = formatProgress(c, o);
    std::vector<Outcome> read;
    ASSERT_TRUE(parseProgress(progress, c, read, error)) << error;
    EXPECT_EQ(read, o);
    // Outcomes follow their problems when the collection is compiled anew.
    Collection reordered = c;
    std::swap(reordered.records[0], reordered.records[1]);
    ASSERT_TRUE(parseProgress(progress, reordered, read, error));
    EXPECT_EQ(read, (std::vector<Outcome>{Outcome::Failed, Outcome::FirstTry}));
    for (size_t n = 0; n + 1 < progress.size(); ++n) EXPECT_FALSE(parseProgress(progress.substr(0, n), c, read, error));
}

TEST(CollectionFile, NamesAndOrder)
{
    EXPECT_EQ(displayName("gokyo-shumyo"), "Gokyo Shumyo");
    EXPECT_EQ(collectionId("Gokyo Shumyo (2nd ed.)"), "gokyo-shumyo-2nd-ed");
    EXPECT_EQ(collectionId("../.."), "collection");
    EXPECT_TRUE(naturalLess("dir/2.sgf", "dir/10.sgf"));
    EXPECT_TRUE(naturalLess("a/9.sgf", "b/1.sgf"));
    EXPECT_FALSE(naturalLess("10.sgf", "010.sgf") && naturalLess("010.sgf", "10.sgf"));
}

TEST(ZipReader, EntriesAndDamage)
{
    std::string zip = makeZip({{"p/1.sgf", kKill}, {"p/2.sgf", "(;)"}});
    std::vector<ZipEntry> entries;
    std::string error;
    ASSERT_TRUE(readZip(zip, anyName, 1 << 20, entries, error)) << error;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "p/1.sgf");
    EXPECT_EQ(entries[0].data, kKill);
    // Too large, damaged data, or no archive at all: said, never read past the end.
    entries.clear();
    ASSERT_TRUE(readZip(zip, anyName, 10, entries, error));
    EXPECT_NE(entries[0].error.find("not read"), std::string::npos);
    std::string damaged = zip;
    damaged[40] ^= 0x55;
    entries.clear();
    ASSERT_TRUE(readZip(damaged, anyName, 1 << 20, entries, error));
    EXPECT_FALSE(entries[0].error.empty());
    for (size_t n = 0; n < zip.size(); n += 7) {
        entries.clear();
        readZip(zip.substr(0, n), anyName, 1 << 20, entries, error);
    }
    EXPECT_FALSE(readZip("PK\3\4 not really", anyName, 1 << 20, entries, error));
}

// ---- the runner -------------------------------------------------------------

class CollectionsRunner : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("vostra_collections_" + std::to_string(getpid()));

    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir / "kill");
        fs::create_directories(dir / "config");
        std::ofstream(dir / "kill" / "1-kill.sgf") << kKill;
        std::ofstream(dir / "kill" / "2-kill.sgf") << kill2();
        std::ofstream(dir / "kill" / "3-broken.sgf") << kBroken;
        // The built-in problems are at problem 5.
        std::ofstream(dir / "config" / "registry.reg")
            << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
               "\"CurrentProblemNo\"=dword:00000005\n";
    }
    void TearDown() override { fs::remove_all(dir); }

    struct Result : Output {
        std::string err;
    };
    Result run(const std::string& args, const std::string& script = "")
    {
        const fs::path s = dir / "script.txt", err = dir / "err.txt";
        writeFile(s, script);
        Result r;
        static_cast<Output&>(r) =
            runCommand("cd " + dir.string() + " && VOSTRA_CONFIG_DIR=" + (dir / "config").string() +
                       " VOSTRA_DATA_DIR=" + (dir / "data").string() + " " + kVostra + " " + args +
                       (script.empty() ? "" : " --headless --script " + s.string()) + " 2>" + err.string());
        r.err = readFile(err);
        return r;
    }

    // The problem number and solved flag of each `dump`.
    static std::vector<std::string> states(const std::string& out)
    {
        std::vector<std::string> found;
        const std::regex state("state problem=(\\d+) .*solved=([01]) failed=([01])");
        for (std::sregex_iterator it(out.begin(), out.end(), state), end; it != end; ++it)
            found.push_back((*it)[1].str() + ((*it)[2] == "1" ? " solved" : (*it)[3] == "1" ? " failed" : ""));
        return found;
    }
};

// The board is 6 x 7 points of 38 pixels: the corner point's centre is at
// (18, 18), the point beside it at (56, 18).
const char kSolve[] = "tap 18 18\nwait 2000\n";
const char kFail[] = "tap 56 18\nwait 2000\n";

TEST_F(CollectionsRunner, OpenSolveKeepSwitch)
{
    Result r = run("--problems kill", std::string("dump\n") + kSolve + "dump\nkey\n" + kFail + "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("kill/3-broken.sgf:3: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Kill: 2 problems from 3 files, 1 skipped"), std::string::npos) << r.err;
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"1", "1 solved", "2 failed"})) << r.out;
    // The collection's own words, and a wrong move's comment after White's reply.
    EXPECT_NE(r.out.find("caption Black to kill."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("reply A19\ncaption Wrong: White makes two eyes."), std::string::npos) << r.out;

    // The next start opens the same collection at its problem, outcomes kept;
    // Back before solving makes a failed problem one solved after mistakes.
    r = run("--progress");
    EXPECT_TRUE(std::regex_search(r.out, std::regex(" 1  solved at the first try +kill/1-kill.sgf"))) << r.out;
    EXPECT_TRUE(std::regex_search(r.out, std::regex(" 2  failed, not yet solved +kill/2-kill.sgf"))) << r.out;
    r = run("", std::string("dump\ncommand 40010\n") + kSolve + "dump\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"2", "2 solved"})) << r.out;
    r = run("--collections");
    EXPECT_TRUE(std::regex_search(r.out, std::regex("\\* kill +Kill +2 problems, 2 solved, 0 to retry"))) << r.out;
    r = run("--progress --collection Kill");
    EXPECT_NE(r.out.find("1 solved at the first try, 1 after mistakes, 0 failed, 0 not tried"), std::string::npos);

    // The built-in problems keep their own number, and the collection its own.
    r = run("--builtin", "dump\n");
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"5"})) << r.err;
    r = run("", "dump\n");
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"5"})) << "the built-in problems open next time";
    r = run("--collection kill", "dump\n");
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"2"})) << r.err;
    const std::string registry = readFile(dir / "config" / "registry.reg");
    EXPECT_NE(registry.find("[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n\"CurrentProblemNo\"=dword:00000005"),
              std::string::npos)
        << registry;
    EXPECT_NE(registry.find("[HKEY_CURRENT_USER\\Software\\pellam\\Vostra\\Collections\\kill]\n"
                            "\"CurrentProblemNo\"=dword:00000002"),
              std::string::npos)
        << registry;

    // Opened again from a zip (the same name): the outcomes stay.
    std::ofstream(dir / "kill.zip", std::ios::binary)
        << makeZip({{"kill/2-kill.sgf", kill2()}, {"kill/1-kill.sgf", kKill}, {"kill/3-broken.sgf", kBroken}});
    r = run("--problems kill.zip", "dump\n");
    EXPECT_NE(r.err.find("kill.zip/kill/3-broken.sgf:3: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Kill: 2 problems from 3 files"), std::string::npos) << r.err;
    r = run("--progress --collection kill");
    EXPECT_TRUE(std::regex_search(r.out, std::regex(" 1  solved at the first try +kill.zip/kill/1-kill.sgf"))) << r.out;

    // Nothing usable: said, and nothing changes.
    r = run("--problems kill/3-broken.sgf", "dump\n");
    EXPECT_NE(r.err.find("no problem could be used"), std::string::npos) << r.err;
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"2"})) << r.out;
    EXPECT_FALSE(fs::exists(dir / "data" / "collections" / "3-broken.collection"));

    // While the program runs, as files dropped on the window.
    r = run("--builtin", "dump\nopen kill\ndump\nbuiltin\ndump\n");
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"5", "2", "5"})) << r.err;
    const size_t opened = r.out.find("caption Black to kill.");
    EXPECT_NE(opened, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("caption Atari from the right side", opened), std::string::npos)
        << "the built-in problems' words come back with them: " << r.out;

    r = run("--remove-collection kill");
    EXPECT_EQ(r.status, 0) << r.err;
    r = run("", "dump\n");
    EXPECT_EQ(states(r.out), (std::vector<std::string>{"5"})) << "a removed collection gives the built-in problems";
    EXPECT_EQ(run("--collection kill", "dump\n").status, 2);
}

TEST_F(CollectionsRunner, DamagedFilesAreSetAside)
{
    ASSERT_EQ(run("--problems kill", kSolve).status, 0);
    const fs::path kept = dir / "data" / "collections";
    auto asides = [&](const std::string& prefix) {
        int n = 0;
        for (const auto& e : fs::directory_iterator(kept)) n += e.path().filename().string().rfind(prefix, 0) == 0;
        return n;
    };
    // A cut-short progress file: reported, kept aside, the collection opens.
    std::string progress = readFile(kept / "kill.progress");
    std::ofstream(kept / "kill.progress") << progress.substr(0, progress.size() - 4);
    Result r = run("--collections");
    EXPECT_NE(r.err.find("kill.progress: damaged"), std::string::npos) << r.err;
    EXPECT_EQ(asides("kill.progress.damaged-"), 1);
    EXPECT_NE(r.out.find("0 solved"), std::string::npos) << r.out;
    // A damaged collection: reported and kept aside, not opened.
    std::ofstream(kept / "kill.collection") << "vostra collection 1\nname Kill\nsection problems 2\nab0 a.sgf\n";
    r = run("--collection kill", "dump\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("kill.collection: damaged (line 5"), std::string::npos) << r.err;
    EXPECT_EQ(asides("kill.collection.damaged-"), 1);
}

}  // namespace
