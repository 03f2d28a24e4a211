// The selection dialog (templates 131 and 135), the About box and the
// registry value that remembers the current problem.

#include "shell/dialogs.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "game/commands.h"
#include "resources/ids.h"
#include "shell/ui_strings.h"

namespace {

const WCHAR kRegistryKey[] = L"Software\\pellam\\Vostra";
const WCHAR kRegistryValue[] = L"CurrentProblemNo";
const WCHAR* problemKey = kRegistryKey;

constexpr int kNumberTextBytes = 64;
constexpr int kMaxEntry = 31;  // characters read from the edit box, terminator included

char numberText[kNumberTextBytes];

void acceptEntry(HWND dialog)
{
    int n = GetWindowTextLengthW(GetDlgItem(dialog, IDC_NUMBER_EDIT)) + 1;
    if (n > kMaxEntry) n = kMaxEntry;
    WCHAR* wide = scratchWide();
    numberText[0] = '\0';
    if (wide && n > 0) {
        GetDlgItemTextW(dialog, IDC_NUMBER_EDIT, wide, n);
        const size_t converted = std::wcstombs(numberText, wide, size_t(2 * n));
        if (converted == size_t(-1)) {
            numberText[0] = '\0';  // a character with no narrow form: not a number
        } else {
            if (converted < size_t(kNumberTextBytes)) numberText[converted] = '\0';
            // Close up any NUL bytes among the converted ones.
            int last = 2 * n - 1 < kNumberTextBytes - 1 ? 2 * n - 1 : kNumberTextBytes - 1;
            int out = 0;
            for (int i = 0; i < last && i < int(converted); ++i)
                if (numberText[i] != '\0') numberText[out++] = numberText[i];
            numberText[out] = '\0';
        }
    }
    EndDialog(dialog, 1);
}

BOOL CALLBACK selectDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowTextW(dialog, problemNumberLabel);
        SetDlgItemTextW(dialog, IDC_NUMBER_LABEL, problemNumberLabel);
        WCHAR current[16];
        wsprintfW(current, L"%d", int(theGame().currentProblem));
        SetDlgItemTextW(dialog, IDC_CURRENT_NUMBER, current);
        SetFocus(GetDlgItem(dialog, IDC_NUMBER_EDIT));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SELECT_OK:
        case IDM_DIALOG_OK:
            acceptEntry(dialog);
            return TRUE;
        case IDC_SELECT_CANCEL:
        case IDM_DIALOG_CANCEL:
            numberText[0] = '\0';
            EndDialog(dialog, 0);
            return TRUE;
        case IDM_QUIT:
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int32 parseProblemNumber(const char* text)
{
    // Read like atoi: leading white space, a sign, then as many digits as
    // follow; whatever comes after them is ignored ("2x" is 2).  A number
    // beyond 32 bits, which atoi leaves undefined, gives 0.
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) return 0;
    }
    return int32(negative ? -value : value);
}

int32 selectProblemNumber(HWND owner)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(chineseUi ? IDD_SELECT_ZH : IDD_SELECT_EN), RT_DIALOG);
    const void* tmpl = LockResource(LoadResource(module, found));
    const intptr_t result = DialogBoxIndirectParamW(module, tmpl, owner, selectDialogProc, 0);
    if (result == 1) return parseProblemNumber(numberText);
    if (result == 0) return -1;
    const DWORD error = GetLastError();
    WCHAR text[64];
    wsprintfW(text, L"%d %x", int(error), unsigned(error));
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxW(nullptr, text, nullptr, MB_OK);
    return -1;
}

void showAbout() { MessageBoxW(nullptr, aboutText, aboutCaption, MB_OK); }

int32 readStoredProblem()
{
    HKEY key = nullptr;
    int32 number = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, problemKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD value = 0, size = sizeof value, type = REG_NONE;
        if (RegQueryValueExW(key, kRegistryValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value)
            number = int32(value);
        RegCloseKey(key);
    }
    // Nothing stored, or a number no problem has: start at the first one.
    return number < 1 ? 1 : number;
}

void storeProblem(int32 number)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    WCHAR noClass[] = L"";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, problemKey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return;
    const DWORD value = DWORD(number);
    RegSetValueExW(key, kRegistryValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void setProblemRegistryKey(const WCHAR* key) { problemKey = key ? key : kRegistryKey; }
