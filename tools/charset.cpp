#include "tools/charset.h"

#include <cstdint>

namespace {

#include "tools/gb18030_table.inc"

void putUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

// Bytes 0x80-0x9F of Windows-1252, which files and browsers label Latin-1;
// the five it leaves undefined become U+FFFD.
const uint16_t kWindows1252[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

// One UTF-8 sequence at s[i]: its code point and length, or length 0 when
// the bytes there are not a well-formed sequence.
uint32_t nextUtf8(std::string_view s, size_t i, size_t& length)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 4;
    length = 0;
    if (extra == 4 || i + extra >= s.size()) return 0;
    uint32_t cp = extra == 0 ? c : c & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        const unsigned char d = static_cast<unsigned char>(s[i + k]);
        if ((d & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (d & 0x3F);
    }
    static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return 0;
    length = extra + 1;
    return cp;
}

// One GB18030 character at s[i]: its code point and length, or length 0
// when the bytes there are not a valid code.
uint32_t nextGb(std::string_view s, size_t i, size_t& length)
{
    auto at = [&](size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
    const unsigned b1 = at(0);
    length = 0;
    if (b1 < 0x80) {
        length = 1;
        return b1;
    }
    if (b1 == 0x80 || b1 == 0xFF) return 0;
    const unsigned b2 = at(1);
    if (b2 >= 0x40 && b2 <= 0xFE && b2 != 0x7F) {
        const uint32_t cp = kGbTwoByte[(b1 - 0x81) * 190 + (b2 < 0x7F ? b2 - 0x40 : b2 - 0x41)];
        if (cp == 0) return 0;
        length = 2;
        return cp;
    }
    if (b2 < 0x30 || b2 > 0x39) return 0;
    const unsigned b3 = at(2), b4 = at(3);
    if (b3 < 0x81 || b3 > 0xFE || b4 < 0x30 || b4 > 0x39) return 0;
    const uint32_t linear = (b1 - 0x81) * 12600 + (b2 - 0x30) * 1260 + (b3 - 0x81) * 10 + (b4 - 0x30);
    if (linear >= 189000 && linear < 189000 + 0x100000) {  // 0x90308130: the supplementary planes
        length = 4;
        return 0x10000 + (linear - 189000);
    }
    // The runs are sorted by linear index.
    size_t lo = 0, hi = sizeof kGbFourByteRuns / sizeof kGbFourByteRuns[0];
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const uint32_t* r = kGbFourByteRuns[mid];
        if (linear < r[0])
            hi = mid;
        else if (linear >= r[0] + r[2])
            lo = mid + 1;
        else {
            length = 4;
            return r[1] + (linear - r[0]);
        }
    }
    return 0;
}

template <typename Next>
bool validAll(std::string_view s, Next next)
{
    for (size_t i = 0; i < s.size();) {
        size_t n = 0;
        next(s, i, n);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// Lower-case letters and digits only: "ISO-8859-1" and "iso8859_1" compare equal.
std::string normalName(std::string_view name)
{
    std::string n;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            n += char(c + 32);
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            n += c;
    }
    return n;
}

}  // namespace

bool charsetFromName(std::string_view name, Charset& out)
{
    const std::string n = normalName(name);
    if (n == "utf8") {
        out = Charset::Utf8;
    } else if (n == "gb2312" || n == "gbk" || n == "gb18030" || n == "cp936" || n == "eucen" || n == "euccn" ||
               n == "gb231280" || n == "windows936" || n == "ms936") {
        out = Charset::Gb18030;
    } else if (n == "iso88591" || n == "latin1" || n == "l1" || n == "iso885915" || n == "cp1252" ||
               n == "windows1252" || n == "usascii" || n == "ascii") {
        out = Charset::Latin1;
    } else {
        return false;
    }
    return true;
}

bool isValidUtf8(std::string_view bytes) { return validAll(bytes, nextUtf8); }
bool isValidGb18030(std::string_view bytes) { return validAll(bytes, nextGb); }

Charset detectCharset(std::string_view bytes)
{
    if (isValidUtf8(bytes)) return Charset::Utf8;
    if (isValidGb18030(bytes)) return Charset::Gb18030;
    return Charset::Latin1;
}

std::string decodeText(std::string_view bytes, Charset charset)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (size_t i = 0; i < bytes.size();) {
        if (charset == Charset::Latin1) {
            const unsigned char c = static_cast<unsigned char>(bytes[i++]);
            putUtf8(out, c >= 0x80 && c < 0xA0 ? kWindows1252[c - 0x80] : c);
            continue;
        }
        size_t n = 0;
        const uint32_t cp = charset == Charset::Utf8 ? nextUtf8(bytes, i, n) : nextGb(bytes, i, n);
        if (n == 0) {
            putUtf8(out, kReplacement);
            ++i;
        } else {
            putUtf8(out, cp);
            i += n;
        }
    }
    return out;
}

const char* charsetName(Charset charset)
{
    switch (charset) {
    case Charset::Utf8:
        return "UTF-8";
    case Charset::Gb18030:
        return "GB18030";
    default:
        return "Latin-1";
    }
}
