#include "tools/problem_texts.h"

#include <cstring>

namespace {

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// The word with the other colour, in the same case, or "" for other words.
std::string otherColour(std::string_view word)
{
    static const char* const kPairs[][2] = {
        {"Black", "White"}, {"black", "white"}, {"BLACK", "WHITE"},
        {"White", "Black"}, {"white", "black"}, {"WHITE", "BLACK"},
    };
    for (const auto& p : kPairs)
        if (word == p[0]) return p[1];
    return "";
}

constexpr std::string_view kHei = "\xE9\xBB\x91";  // 黑
constexpr std::string_view kBai = "\xE7\x99\xBD";  // 白

}  // namespace

Charset treeCharset(const SgfTree& tree, std::vector<CompileMessage>& warnings)
{
    if (const SgfProperty* ca = tree.find(0, "CA")) {
        Charset c;
        const std::string_view name = trimmed(tree.value(*ca, 0));
        if (charsetFromName(name, c)) return c;
        warnings.push_back({ca->line, "CA[" + std::string(name.substr(0, 20)) +
                                          "] names a charset the compiler does not read; the texts are read as "
                                          "the bytes suggest"});
    }
    std::string all;
    for (const SgfProperty& p : tree.props)
        if (!std::strcmp(p.ident, "C") || !std::strcmp(p.ident, "GN")) {
            all += tree.value(p, 0);
            all += '\n';
        }
    return detectCharset(all);
}

std::string swapColourWords(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (isAsciiLetter(s[i])) {
            size_t j = i;
            while (j < s.size() && isAsciiLetter(s[j])) ++j;
            const std::string_view word = s.substr(i, j - i);
            const std::string other = otherColour(word);
            out += other.empty() ? std::string(word) : other;
            i = j;
        } else if (s.compare(i, 3, kHei) == 0) {
            out += kBai;
            i += 3;
        } else if (s.compare(i, 3, kBai) == 0) {
            out += kHei;
            i += 3;
        } else {
            out += s[i++];
        }
    }
    return out;
}

std::string firstSentence(std::string_view s)
{
    s = trimmed(s);
    static const std::string_view kChineseEnds[] = {"\xE3\x80\x82", "\xEF\xBC\x81", "\xEF\xBC\x9F"};  // 。！？
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\n' || c == '\r') return std::string(trimmed(s.substr(0, i)));
        // A full stop ends a sentence before a space, the end, or a Chinese
        // text that follows without a space.
        if ((c == '.' || c == '!' || c == '?') && (i + 1 == s.size() || static_cast<unsigned char>(s[i + 1]) <= ' ' ||
                                                   static_cast<unsigned char>(s[i + 1]) >= 0x80))
            return std::string(trimmed(s.substr(0, i + 1)));
        for (std::string_view end : kChineseEnds)
            if (s.compare(i, end.size(), end) == 0) return std::string(trimmed(s.substr(0, i + end.size())));
    }
    return std::string(s);
}

ProblemTexts problemTexts(const SgfTree& tree, const CompiledProblem& compiled, std::vector<CompileMessage>& warnings)
{
    const Charset charset = treeCharset(tree, warnings);
    auto text = [&](std::string_view raw) {
        std::string t(trimmed(raw));
        t = decodeText(t, charset);
        return compiled.coloursSwapped ? swapColourWords(t) : t;
    };
    // The comments of several nodes, one paragraph each.
    auto comments = [&](const std::vector<int32_t>& nodes) {
        std::string all;
        for (int32_t n : nodes) {
            const std::string c = text(tree.firstValue(n, "C"));
            if (c.empty()) continue;
            if (!all.empty()) all += '\n';
            all += c;
        }
        return all;
    };
    ProblemTexts p;
    if (!compiled.entryNodes.empty()) {
        for (int32_t n : compiled.entryNodes[0]) {
            if (p.title.empty()) p.title = text(tree.firstValue(n, "GN"));
        }
        p.goal = firstSentence(comments(compiled.entryNodes[0]));
    }
    if (p.title.empty()) p.title = text(tree.firstValue(0, "GN"));
    for (size_t k = 1; k < compiled.entryNodes.size(); ++k) {
        std::string c = comments(compiled.entryNodes[k]);
        if (!c.empty()) p.comments[int32_t(k)] = std::move(c);
    }
    return p;
}
