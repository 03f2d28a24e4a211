// The whole program through the headless runner: menu bar and pop-up menu,
// the number dialog, About, accelerators, the right button, the stored
// problem number across runs (and across kills), one copy at a time, and the
// language taken from the locale.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/menubar.h"
#include "tests/png_support.h"
#include "tests/shell_support.h"

namespace {

struct ProgramRun {
    int status = -1;
    std::string out;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the program on a script with the configuration folder `dir`;
// `environment` goes before the command (e.g. "LANG=C").
ProgramRun runProgram(const std::string& dir, const std::string& script, const std::string& environment = "LANG=C",
               const std::string& options = "")
{
    const std::string file = dir + "/script.txt";
    std::ofstream(file) << script;
    const std::string command = "env -u LC_ALL -u LC_MESSAGES " + environment + " VOSTRA_CONFIG_DIR='" + dir + "' '" +
                                VOSTRA_BIN + "' --headless --script '" + file + "' " + options + " 2>&1";
    ProgramRun r;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) r.out.append(buffer, n);
        const int status = pclose(p);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return r;
}

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

int catalogueSize()
{
    int n = 0;
    if (FILE* p = popen("'" VOSTRA_BIN "' --print-catalogue", "r")) {
        char line[8192];
        while (fgets(line, sizeof line, p)) ++n;
        pclose(p);
    }
    return n;
}

void writeStore(const std::string& dir, const std::string& value)
{
    std::ofstream(dir + "/registry.reg") << "Windows Registry Editor Version 5.00\n\n"
                                            "[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
                                            "\"CurrentProblemNo\"="
                                         << value << "\n";
}

// The pop-up menu's "Sound On" item (the seventh) in the main window's
// client coordinates: the menu's nine items of 20 pixels stand on the menu bar.
constexpr int kSoundItemY = 320 - 26 - 1 - 3 * kMenuItemHeight + kMenuItemHeight / 2 - 26;

}  // namespace

TEST(ShellProgram, SoundOnToggledTwiceThroughTheMenuStaysCheckedAndOn)
{
    TempConfigDir dir;
    const std::string shot = dir.file("menu.png");
    const std::string toggle = "softkey 1\ntap 40 " + std::to_string(kSoundItemY) + "\n";
    ProgramRun r = runProgram(dir.path(), "command 40083\n" + toggle + "command 40004\ncommand 40083\n" + toggle +
                                       "command 40004\ncommand 40083\nsoftkey 1\nshot " + shot + "\nkey escape\n");
    EXPECT_EQ(r.status, 0) << r.out;
    // Pass is a move: a sound before the first toggle and after the second.
    EXPECT_EQ(count(r.out, "sound 1999"), 2) << r.out;
    std::vector<uint32_t> px = readPng(shot);
    ASSERT_EQ(px.size(), 240u * 320u);
    const int top = 294 - 1 - 9 * kMenuItemHeight;  // the first item
    for (int item = 5; item <= 7; ++item)
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(px[size_t((top + item * kMenuItemHeight + 9 + k) * 240 + 5 + k)], item == 6 ? kMenuText : kMenuBackground)
                << item;
}

TEST(ShellProgram, SelectProblemDialog)
{
    const int problems = catalogueSize();
    ASSERT_GE(problems, 1);
    const int target = problems >= 2 ? 2 : 1;
    TempConfigDir dir;
    auto select = [](const std::string& typed, int button) {
        return "command 40006\n" + (typed.empty() ? "" : "type " + typed + "\n") + "command " + std::to_string(button) + "\n";
    };
    const std::string script = select(std::to_string(target), 1019) + "dump\n" + select("", 1019) + select("0", 1019) +
                               select("abc", 1019) + select(std::string(40, '7'), 1019) + select("1", 1020) +
                               "dump\n" + select(std::to_string(problems + 1), 1019) + "dump\n";
    ProgramRun r = runProgram(dir.path(), script);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dumpedProblems(r.out), (std::vector<int>{target, target, 1})) << r.out;
    EXPECT_EQ(count(r.out, "dialog 131"), 7);
    // Entries that change nothing load nothing.
    const size_t first = r.out.find("state problem="), second = r.out.find("state problem=", first + 1);
    EXPECT_EQ(r.out.substr(first, second - first).find("notify 1030"), std::string::npos) << r.out;
}

TEST(ShellProgram, AboutCommandsAndAccelerators)
{
    TempConfigDir dir;
    ProgramRun r = runProgram(dir.path(), "command 40003\ncommand 1\ncommand 40007\nkey return\nkey alt+0xBF\ncommand 1\n"
                                   "key 0xBF\nkey alt+f4\ndump\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(count(r.out, "message Vostra for Pocket PC ver1.1 Go problem trainer"), 3) << r.out;
    // Alt+F4 is command 40002, which nothing handles: the program runs on.
    EXPECT_EQ(dumpedProblems(r.out).size(), 1u) << r.out;
    EXPECT_NE(r.out.find("store 1"), std::string::npos);
}

TEST(ShellProgram, RightButtonRestartsTheProblem)
{
    TempConfigDir dir;
    ProgramRun r = runProgram(dir.path(), "command 40083\ndump\nrtap 100 100\ndump\n");
    std::vector<std::string> states;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("state ", 0) == 0) states.push_back(line);
    ASSERT_EQ(states.size(), 2u) << r.out;
    EXPECT_EQ(states[0].find(" move=1 "), std::string::npos) << states[0];  // the pass was played
    EXPECT_NE(states[1].find(" move=1 side=B "), std::string::npos) << states[1];
    EXPECT_EQ(states[1].substr(states[1].size() - 8), "history=") << states[1];
    EXPECT_EQ(count(r.out.substr(r.out.find(states[0])), "notify 1030"), 1) << r.out;  // restarted after the dump
}

TEST(ShellProgram, ProblemNumberSurvivesARestart)
{
    const int problems = catalogueSize();
    const int target = problems >= 2 ? 2 : 1;
    TempConfigDir dir;
    ProgramRun first = runProgram(dir.path(), "command 40006\ntype " + std::to_string(target) + "\ncommand 1019\n");
    EXPECT_NE(first.out.find("store " + std::to_string(target)), std::string::npos) << first.out;
    EXPECT_NE(readFile(dir.file("registry.reg")).find("\"CurrentProblemNo\"=dword:0000000" + std::to_string(target)),
              std::string::npos);
    EXPECT_EQ(dumpedProblems(runProgram(dir.path(), "dump\n").out), std::vector<int>{target});

    // Missing, empty, damaged, zero, negative or too large: problem 1.
    char tooLarge[32];
    std::snprintf(tooLarge, sizeof tooLarge, "dword:%08x", problems + 1);
    const std::vector<std::string> stores = {"", "-", "garbage", "dword:00000000", "dword:ffffffff", tooLarge};
    for (const std::string& value : stores) {
        std::remove(dir.file("registry.reg").c_str());
        if (value == "-") std::ofstream(dir.file("registry.reg")) << "";
        else if (value == "garbage") std::ofstream(dir.file("registry.reg")) << "\x01\x02garbage";
        else if (!value.empty()) writeStore(dir.path(), value);
        ProgramRun r = runProgram(dir.path(), "dump\n");
        EXPECT_EQ(dumpedProblems(r.out), std::vector<int>{1}) << value << "\n" << r.out;
        EXPECT_NE(r.out.find("store 1"), std::string::npos);
    }
}

TEST(ShellProgram, KillingDuringAStoreNeverLosesTheStoredValue)
{
    const int problems = catalogueSize();
    TempConfigDir dir;
    std::ofstream(dir.file("script.txt")) << "command 40005\n";
    // Kills spread over a whole run's time, as long as a run takes here.
    const auto start = std::chrono::steady_clock::now();
    runProgram(dir.path(), "command 40005\n");
    const long runMicroseconds = std::max<long>(
        1000, long(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count()));
    std::mt19937 random(12345);
    int kept = 0, replaced = 0;
    const int rounds = 150;
    for (int i = 0; i < rounds; ++i) {
        // A number no problem has: the program starts at 1, moves to the next
        // problem and stores that on the way out.
        const int before = 1000 + i;
        char value[32];
        std::snprintf(value, sizeof value, "dword:%08x", before);
        writeStore(dir.path(), value);
        const int after = problems >= 2 ? 2 : 1;
        pid_t pid = fork();
        if (pid == 0) {
            setenv("VOSTRA_CONFIG_DIR", dir.path().c_str(), 1);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            execl(VOSTRA_BIN, VOSTRA_BIN, "--headless", "--script", dir.file("script.txt").c_str(), (char*)nullptr);
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % (runMicroseconds * 6 / 5)));
        kill(pid, SIGKILL);
        int status;
        waitpid(pid, &status, 0);
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

TEST(ShellProgram, SecondCopyBringsTheFirstToTheFront)
{
    TempConfigDir dir, other;
    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    pid_t first = fork();
    if (first == 0) {
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        setenv("VOSTRA_CONFIG_DIR", dir.path().c_str(), 1);
        execl(VOSTRA_BIN, VOSTRA_BIN, "--headless", "--script", "-", (char*)nullptr);
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    FILE* in = fdopen(toChild[1], "w");
    FILE* out = fdopen(fromChild[0], "r");
    auto readUntil = [&](const std::string& what) {
        std::string text;
        char line[4096];
        while (fgets(line, sizeof line, out)) {
            text += line;
            if (text.find(what) != std::string::npos) break;
        }
        return text;
    };
    std::fputs("dump\n", in);
    std::fflush(in);
    EXPECT_NE(readUntil("state ").find("state "), std::string::npos);

    ProgramRun second = runProgram(dir.path(), "dump\n");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out.find("notify"), std::string::npos) << second.out;
    EXPECT_EQ(second.out.find("store"), std::string::npos) << second.out;
    // With a folder of its own a copy runs side by side.
    EXPECT_EQ(dumpedProblems(runProgram(other.path(), "dump\n").out).size(), 1u);

    std::fputs("dump\n", in);
    std::fclose(in);
    const std::string rest = readUntil("store ");
    EXPECT_NE(rest.find("foreground"), std::string::npos) << rest;
    fclose(out);
    int status;
    waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(ShellProgram, LanguageFromTheLocale)
{
    struct Case {
        std::string environment, options;
        bool chinese;
    } cases[] = {
        {"LANG=zh_CN.UTF-8", "", true},
        {"LANG=en_US.UTF-8", "", false},
        {"LANG=C", "", false},
        {"LANG=zh_CN.UTF-8 LC_ALL=C", "", false},
        {"LANG=C LC_MESSAGES=zh_TW.UTF-8", "", true},
        {"LANG=C", "--lang zh", true},
    };
    std::vector<uint32_t> bars[2];
    for (const Case& c : cases) {
        TempConfigDir dir;
        const std::string shot = dir.file("bar.png");
        ProgramRun r = runProgram(dir.path(), "command 40006\ncommand 1020\ncommand 40007\ncommand 1\nshot " + shot + "\n",
                           c.environment, c.options);
        const std::string what = c.environment + " " + c.options;
        EXPECT_NE(r.out.find(c.chinese ? "dialog 135" : "dialog 131"), std::string::npos) << what;
        EXPECT_NE(r.out.find(c.chinese ? "围棋死活题练习" : "Go problem trainer"), std::string::npos) << what;
        std::vector<uint32_t> px = readPng(shot);
        ASSERT_EQ(px.size(), 240u * 320u);
        std::vector<uint32_t> bar(px.begin() + 294 * 240, px.end());
        std::vector<uint32_t>& seen = bars[c.chinese];
        if (seen.empty()) seen = bar;
        EXPECT_EQ(bar, seen) << what;  // the same menu bar for the same language
    }
    EXPECT_NE(bars[0], bars[1]);
}
