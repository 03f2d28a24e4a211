#include "tools/json_text.h"

#include <cstdio>

std::string jsonString(std::string_view s)
{
    std::string out = "\"";
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            // Copy a whole valid UTF-8 sequence; escape a stray byte.
            const size_t n = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
            bool valid = n > 0 && i + n <= s.size();
            for (size_t k = 1; valid && k < n; ++k) valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
            if (valid) {
                out.append(s.substr(i, n));
                i += n - 1;
            } else {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            }
        }
    }
    return out + "\"";
}
