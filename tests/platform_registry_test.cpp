// The registry kept as a .reg text in the configuration folder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "platform/frontend.h"
#include "platform/settings_store.h"
#include "tests/support.h"

namespace {

const WCHAR kKey[] = L"Software\\pellam\\Vostra";

LSTATUS store(DWORD n)
{
    HKEY key = nullptr;
    LSTATUS r = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, 0, nullptr, &key, nullptr);
    if (r != ERROR_SUCCESS) return r;
    r = RegSetValueExW(key, L"CurrentProblemNo", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), 4);
    RegCloseKey(key);
    return r;
}

// The stored number, or -1 when the key or the value is missing.
long stored()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, 0, &key) != ERROR_SUCCESS) return -1;
    DWORD n = 0, size = 4, type = 0;
    LSTATUS r = RegQueryValueExW(key, L"CurrentProblemNo", nullptr, &type, reinterpret_cast<BYTE*>(&n), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD ? long(n) : -1;
}

class Registry : public ::testing::Test {
protected:
    TempConfigDir dir;
    RecordingFrontEnd fe;
    void SetUp() override { platformStart(240, 320, &fe); }
    void TearDown() override { platformStart(240, 320, nullptr); }
    std::string regFile() const { return dir.file("registry.reg"); }
};

}  // namespace

TEST_F(Registry, StoresInRegExportFormatAndReadsBack)
{
    EXPECT_EQ(stored(), -1);
    ASSERT_EQ(store(12), ERROR_SUCCESS);
    EXPECT_EQ(readFile(regFile()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
              "\"CurrentProblemNo\"=dword:0000000c\n\n");
    EXPECT_EQ(stored(), 12);
    ASSERT_EQ(store(3), ERROR_SUCCESS);
    EXPECT_EQ(stored(), 3);
    EXPECT_EQ(fe.lines, (std::vector<std::string>{"store 12", "store 3"}));
    // Key names are not case-sensitive; parents of a key exist.
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Pellam", 0, 0, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\other", 0, 0, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), 6);  // ERROR_INVALID_HANDLE: nothing was opened
}

TEST_F(Registry, DamagedOrUnreadableStoresReadAsMissing)
{
    const std::string damaged[] = {
        "",
        "garbage\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
        "\"CurrentProblemNo\"=dword:zz\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
        "\"CurrentProblemNo\"=dword:0000000c0\n",
        "Windows Registry Editor Version 5.00\n\"CurrentProblemNo\"=dword:0000000c\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
        "\"CurrentProblemNo\"=hex:0c,00,0\n",
        std::string("\0\0\xff\xfe", 4),
    };
    for (const std::string& text : damaged) {
        writeFile(regFile(), text);
        EXPECT_EQ(stored(), -1) << text;
    }
    // A folder where the file should be cannot be read either.
    std::remove(regFile().c_str());
    ASSERT_EQ(mkdir(regFile().c_str(), 0700), 0);
    EXPECT_EQ(stored(), -1);
    rmdir(regFile().c_str());
    // The next store replaces a damaged file with a sound one.
    writeFile(regFile(), "garbage\n");
    ASSERT_EQ(store(7), ERROR_SUCCESS);
    EXPECT_EQ(stored(), 7);
}

TEST_F(Registry, KeepsWhatElseTheFileHolds)
{
    writeFile(regFile(),
              "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
              "; written by hand\r\n"
              "[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\r\n"
              "\"CurrentProblemNo\"=dword:00000002\r\n"
              "\"Name\"=\"a \\\"quoted\\\" \\\\ text 棋\"\r\n"
              "@=hex(7):61,00,\\\r\n  62,00\r\n"
              "[HKEY_CURRENT_USER\\Software\\other]\r\n"
              "\"x\"=hex:01,02\r\n");
    EXPECT_EQ(stored(), 2);
    ASSERT_EQ(store(5), ERROR_SUCCESS);
    EXPECT_EQ(readFile(regFile()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\pellam\\Vostra]\n"
              "\"CurrentProblemNo\"=dword:00000005\n"
              "\"Name\"=\"a \\\"quoted\\\" \\\\ text 棋\"\n"
              "@=hex(7):61,00,62,00\n\n"
              "[HKEY_CURRENT_USER\\Software\\other]\n"
              "\"x\"=hex:01,02\n\n");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, 0, &key), ERROR_SUCCESS);
    WCHAR text[64];
    DWORD size = 4, type = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(size, 20 * sizeof(WCHAR));  // 19 characters and the terminator
    EXPECT_EQ(RegQueryValueExW(key, L"Name", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(text), L"a \"quoted\" \\ text 棋");
    RegCloseKey(key);
}

TEST_F(Registry, FailedWriteKeepsTheOldValueAndSaysSo)
{
    ASSERT_EQ(store(9), ERROR_SUCCESS);
    // The store's folder lies under a plain file: nothing can be written there.
    writeFile(dir.file("blocker"), "x");
    FileSettingsStore blocked(dir.file("blocker/registry.reg"));
    setSettingsStore(&blocked);
    EXPECT_NE(store(10), ERROR_SUCCESS);
    setSettingsStore(nullptr);
    EXPECT_EQ(stored(), 9);
    EXPECT_EQ(fe.lines, std::vector<std::string>{"store 9"});
    // No temporary file is left behind.
    EXPECT_NE(access(dir.file("registry.reg.tmp").c_str(), F_OK), 0);
}

TEST_F(Registry, StoreCanBeSwapped)
{
    struct Memory : SettingsStore {
        std::string text;
        bool load(std::string& out) override
        {
            out = text;
            return !text.empty();
        }
        bool save(const std::string& in) override
        {
            text = in;
            return true;
        }
    } memory;
    setSettingsStore(&memory);
    ASSERT_EQ(store(4), ERROR_SUCCESS);
    EXPECT_EQ(stored(), 4);
    EXPECT_NE(memory.text.find("dword:00000004"), std::string::npos);
    setSettingsStore(nullptr);
    EXPECT_EQ(stored(), -1);
}

TEST(ConfigFolder, FromTheEnvironment)
{
    TempConfigDir dir;
    EXPECT_EQ(configDirectory(), dir.path());
    unsetenv("VOSTRA_CONFIG_DIR");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string oldXdg = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
    EXPECT_EQ(configDirectory(), "/somewhere/config/vostra");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(configDirectory(), std::string(std::getenv("HOME")) + "/.config/vostra");
    if (xdg) setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
    setenv("VOSTRA_CONFIG_DIR", dir.path().c_str(), 1);
}
