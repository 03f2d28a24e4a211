// The whole program through the headless runner: the menu, the number
// dialog, About and the accelerators, the right button, the stored problem
// number across runs (and across kills), one copy at a time, and the language
// taken from the locale.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <random>
#include <regex>
#include <thread>

#include "platform/menubar.h"
#include "tests/support.h"

namespace {

int count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The problem numbers of the `dump` state lines, in order.
std::vector<int> dumpedProblems(const std::string& out)
{
    std::vector<int> numbers;
    std::regex state("state problem=(\\d+)");
    for (std::sregex_iterator it(out.begin(), out.end(), state), end; it != end; ++it)
        numbers.push_back(std::stoi((*it)[1]));
    return numbers;
}

void writeStore(const std::string& dir, const std::string& value)
{
    writeFile(dir + "/registry.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n\"CurrentProblemNo\"=" +
                  value + "\n");
}

// The pop-up menu's "Sound On" item (the seventh) in the main window's
// client coordinates: the menu's nine items of 20 pixels stand on the menu bar.
constexpr int kSoundItemY = 320 - 26 - 1 - 3 * kMenuItemHeight + kMenuItemHeight / 2 - 26;

}  // namespace

TEST(ShellProgram, MenuDialogAboutAndTheRightButton)
{
    const int problems = static_cast<int>(catalogueRecords().size());
    ASSERT_GE(problems, 1);
    const int target = problems >= 2 ? 2 : 1;
    TempConfigDir dir;
    auto select = [](const std::string& typed, int button) {
        return "command 40006\n" + (typed.empty() ? "" : "type " + typed + "\n") + "command " + std::to_string(button) +
               "\n";
    };
    // Sound On toggled twice through the menu stays checked and on: the Pass
    // is a move, heard before the first toggle and after the second.
    const std::string shot = dir.file("menu.png"), toggle = "softkey 1\ntap 40 " + std::to_string(kSoundItemY) + "\n";
    const std::string script =
        "command 40083\n" + toggle + "command 40004\ncommand 40083\n" + toggle +
        "command 40004\ncommand 40083\nsoftkey 1\nshot " + shot + "\nkey escape\n" +
        select(std::to_string(target), 1019) + "dump\n" + select("", 1019) + select("abc", 1019) +
        select(std::string(40, '7'), 1019) + select("1", 1020) + "dump\n" + "command 40083\nrtap 100 100\ndump\n" +
        select(std::to_string(problems + 1), 1019) + "dump\n" +
        "command 40003\ncommand 1\ncommand 40007\nkey return\nkey alt+0xBF\ncommand 1\nkey 0xBF\nkey alt+f4\ndump\n";
    Output r = runScript(dir.path(), script);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(count(r.out, "sound 1999"), 3) << r.out;
    std::vector<uint32_t> px = readPng(shot);
    ASSERT_EQ(px.size(), 240u * 320u);
    const int top = 294 - 1 - 9 * kMenuItemHeight;  // the first item
    for (int item = 5; item <= 7; ++item)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(px[size_t((top + item * kMenuItemHeight + 9 + k) * 240 + 5 + k)],
                      item == 6 ? kMenuText : kMenuBackground)
                << item;

    // Entries that change nothing load nothing; the right button restarts;
    // a number past the last gives problem 1.  Alt+F4 is command 40002, which
    // nothing handles: the program runs on.
    EXPECT_EQ(dumpedProblems(r.out), (std::vector<int>{target, target, target, 1, 1})) << r.out;
    EXPECT_EQ(count(r.out, "dialog 131"), 6);
    std::vector<std::string> states;
    for (const std::string& line : splitLines(r.out))
        if (line.rfind("state ", 0) == 0) states.push_back(line);
    const size_t first = r.out.find(states[0]), second = r.out.find(states[1]);
    EXPECT_EQ(r.out.substr(first, second - first).find("notify 1030"), std::string::npos) << r.out;
    EXPECT_NE(states[2].find(" move=1 side=B "), std::string::npos) << states[2];
    EXPECT_EQ(states[2].substr(states[2].size() - 8), "history=") << states[2];
    EXPECT_EQ(count(r.out, "message Vostra for Pocket PC ver1.1 Go problem trainer"), 3) << r.out;
    EXPECT_NE(r.out.find("store 1"), std::string::npos);
}

TEST(ShellProgram, ProblemNumberSurvivesARestart)
{
    const int problems = static_cast<int>(catalogueRecords().size());
    const int target = problems >= 2 ? 2 : 1;
    TempConfigDir dir;
    Output first = runScript(dir.path(), "command 40006\ntype " + std::to_string(target) + "\ncommand 1019\n");
    EXPECT_NE(first.out.find("store " + std::to_string(target)), std::string::npos) << first.out;
    EXPECT_NE(readFile(dir.file("registry.reg")).find("\"CurrentProblemNo\"=dword:0000000" + std::to_string(target)),
              std::string::npos);
    EXPECT_EQ(dumpedProblems(runScript(dir.path(), "dump\n").out), std::vector<int>{target});

    // Missing, damaged, zero, negative or too large: problem 1.
    char tooLarge[32];
    std::snprintf(tooLarge, sizeof tooLarge, "dword:%08x", problems + 1);
    for (const std::string& value : {std::string(), std::string("garbage"), std::string("dword:00000000"),
                                     std::string("dword:ffffffff"), std::string(tooLarge)}) {
        std::remove(dir.file("registry.reg").c_str());
        if (value == "garbage")
            writeFile(dir.file("registry.reg"), "\x01\x02garbage");
        else if (!value.empty())
            writeStore(dir.path(), value);
        Output r = runScript(dir.path(), "dump\n");
        EXPECT_EQ(dumpedProblems(r.out), std::vector<int>{1}) << value << "\n" << r.out;
        EXPECT_NE(r.out.find("store 1"), std::string::npos);
    }
}

TEST(ShellProgram, KillingDuringAStoreNeverLosesTheStoredValue)
{
    const int problems = static_cast<int>(catalogueRecords().size());
    TempConfigDir dir;
    // Kills spread over a whole run's time, as long as a run takes here.
    const auto start = std::chrono::steady_clock::now();
    runScript(dir.path(), "command 40005\n");
    const long runMicroseconds = std::max<long>(
        1000,
        long(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count()));
    std::mt19937 random(12345);
    int kept = 0, replaced = 0;
    for (int i = 0; i < 150; ++i) {
        // A number no problem has: the program starts at 1, moves to the next
        // problem and stores that on the way out.
        const int before = 1000 + i, after = problems >= 2 ? 2 : 1;
        char value[32];
        std::snprintf(value, sizeof value, "dword:%08x", before);
        writeStore(dir.path(), value);
        pid_t pid = fork();
        if (pid == 0) {
            freopen("/dev/null", "w", stdout);
            execl(VOSTRA_BIN, VOSTRA_BIN, "--headless", "--script", dir.file("script.txt").c_str(), (char*)nullptr);
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (runMicroseconds * 6 / 5)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        setSettingsStore(nullptr);
        HKEY key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\pellam\\Vostra", 0, 0, &key), ERROR_SUCCESS) << i;
        DWORD n = 0, size = 4;
        ASSERT_EQ(RegQueryValueExW(key, L"CurrentProblemNo", nullptr, nullptr, reinterpret_cast<BYTE*>(&n), &size),
                  ERROR_SUCCESS)
            << i;
        RegCloseKey(key);
        ASSERT_TRUE(int(n) == before || int(n) == after) << i << ": " << n;
        (int(n) == before ? kept : replaced)++;
    }
    std::printf("kills before the store: %d, after it: %d\n", kept, replaced);
}

// A copy driven line by line through a pipe answers each line before the
// next is written; a second copy on the same folder brings it to the front
// and leaves, one with a folder of its own runs side by side.
TEST(ShellProgram, SecondCopyBringsTheFirstToTheFront)
{
    TempConfigDir dir, other;
    PipedRunner first(dir.path());
    for (int round = 0; round < 2; ++round) {
        first.send("dump\n");
        EXPECT_NE(first.readUntil("state ").find("state problem="), std::string::npos) << round;
    }
    Output second = runScript(dir.path(), "dump\n");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out.find("notify"), std::string::npos) << second.out;
    EXPECT_EQ(second.out.find("store"), std::string::npos) << second.out;
    EXPECT_EQ(dumpedProblems(runScript(other.path(), "dump\n").out).size(), 1u);

    first.send("dump\n");
    first.closeInput();
    EXPECT_NE(first.readUntil("store ").find("foreground"), std::string::npos);
    EXPECT_EQ(first.finish(), 0);
}

TEST(ShellProgram, LanguageFromTheLocale)
{
    struct Case {
        std::string environment, options;
        bool chinese;
    } cases[] = {
        {"LANG=zh_CN.UTF-8", "", true},
        {"LANG=en_US.UTF-8", "", false},
        {"LANG=zh_CN.UTF-8 LC_ALL=C", "", false},
        {"LANG=C LC_MESSAGES=zh_TW.UTF-8", "", true},
        {"LANG=C", "--lang zh", true},
    };
    std::vector<uint32_t> bars[2];
    for (const Case& c : cases) {
        TempConfigDir dir;
        const std::string shot = dir.file("bar.png"), what = c.environment + " " + c.options;
        Output r = runScript(dir.path(), "command 40006\ncommand 1020\ncommand 40007\ncommand 1\nshot " + shot + "\n",
                             c.options, c.environment);
        EXPECT_NE(r.out.find(c.chinese ? "dialog 135" : "dialog 131"), std::string::npos) << what;
        EXPECT_NE(r.out.find(c.chinese ? "围棋死活题练习" : "Go problem trainer"), std::string::npos) << what;
        std::vector<uint32_t> px = readPng(shot);
        ASSERT_EQ(px.size(), 240u * 320u);
        std::vector<uint32_t> bar(px.begin() + 294 * 240, px.end());
        if (bars[c.chinese].empty()) bars[c.chinese] = bar;
        EXPECT_EQ(bar, bars[c.chinese]) << what;  // the same menu bar for the same language
    }
    EXPECT_NE(bars[0], bars[1]);
}
