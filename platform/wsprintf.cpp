// wsprintfW: %d %i %u %x %X %c %s (wide) %ls %S (8-bit) and %%, with the
// flags '-' and '0', a width, and the size prefixes l and h, which change
// nothing here.  The buffer is taken to hold 1024 characters, as the system's
// function assumes.
#include <cstdarg>
#include <cstdint>
#include <cstring>

#include "platform/win.h"

namespace {

constexpr int kBufferLimit = 1024;

struct Out {
    LPWSTR buffer;
    int length = 0;
    void put(WCHAR c)
    {
        if (length < kBufferLimit - 1) buffer[length++] = c;
    }
};

void field(Out& out, const WCHAR* text, int n, int width, bool left, bool zero, bool numeric)
{
    int pad = width > n ? width - n : 0;
    if (!left && zero && numeric && n > 0 && text[0] == L'-') {
        out.put(L'-');
        ++text;
        --n;
    }
    if (!left)
        for (; pad > 0; --pad) out.put(zero && numeric ? L'0' : L' ');
    for (int i = 0; i < n; ++i) out.put(text[i]);
    for (; pad > 0; --pad) out.put(L' ');
}

int number(WCHAR* digits, uint64_t value, unsigned base, bool upper)
{
    WCHAR tmp[24];
    int n = 0;
    do {
        const unsigned d = unsigned(value % base);
        tmp[n++] = WCHAR(d < 10 ? L'0' + d : (upper ? L'A' : L'a') + d - 10);
        value /= base;
    } while (value);
    for (int i = 0; i < n; ++i) digits[i] = tmp[n - 1 - i];
    return n;
}

}  // namespace

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...)
{
    if (!buffer || !format) return 0;
    va_list args;
    va_start(args, format);
    Out out{buffer};
    for (const WCHAR* f = format; *f; ++f) {
        if (*f != L'%') {
            out.put(*f);
            continue;
        }
        ++f;
        bool left = false, zero = false;
        for (;; ++f) {
            if (*f == L'-')
                left = true;
            else if (*f == L'0')
                zero = true;
            else
                break;
        }
        int width = 0;
        while (*f >= L'0' && *f <= L'9') width = width * 10 + (*f++ - L'0');
        if (width > kBufferLimit) width = kBufferLimit;
        bool wide = false, narrow = false;
        if (*f == L'l') {
            wide = true;
            ++f;
        } else if (*f == L'h') {
            narrow = true;
            ++f;
        }
        WCHAR digits[24];
        switch (*f) {
        case L'd':
        case L'i': {
            const long v = wide ? va_arg(args, long) : va_arg(args, int);
            int n = 0;
            if (v < 0) digits[n++] = L'-';
            n += number(digits + n, v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v), 10, false);
            field(out, digits, n, width, left, zero, true);
            break;
        }
        case L'u':
        case L'x':
        case L'X': {
            const unsigned long v = wide ? va_arg(args, unsigned long) : va_arg(args, unsigned);
            const unsigned base = *f == L'u' ? 10 : 16;
            field(out, digits, number(digits, v, base, *f == L'X'), width, left, zero, true);
            break;
        }
        case L'c': {
            const WCHAR c = WCHAR(va_arg(args, int));
            field(out, &c, 1, width, left, false, false);
            break;
        }
        case L's':
        case L'S':
            if (*f == L'S' || narrow) {
                const char* s = va_arg(args, const char*);
                if (!s) s = "(null)";
                const int n = int(std::strlen(s));
                int pad = width > n ? width - n : 0;
                if (!left)
                    for (; pad > 0; --pad) out.put(L' ');
                for (int i = 0; i < n; ++i) out.put(WCHAR(static_cast<unsigned char>(s[i])));
                for (; pad > 0; --pad) out.put(L' ');
            } else {
                const WCHAR* s = va_arg(args, const WCHAR*);
                if (!s) s = L"(null)";
                field(out, s, int(std::wcslen(s)), width, left, false, false);
            }
            break;
        case L'%':
            out.put(L'%');
            break;
        case 0:
            --f;  // a lone '%' at the end
            break;
        default:
            out.put(L'%');
            out.put(*f);
            break;
        }
    }
    va_end(args);
    buffer[out.length] = 0;
    return out.length;
}
