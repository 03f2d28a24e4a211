#include "captions/text_table.h"

#include <charconv>

namespace {

const ProblemTexts kNoTexts;
const std::string kNoText;

bool parseNumber(std::string_view s, int32_t& out)
{
    if (s.empty() || s.size() > 9) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && out >= 0;
}

}  // namespace

const std::string& ProblemTexts::comment(int32_t entry) const
{
    auto it = comments.find(entry);
    return it == comments.end() ? kNoText : it->second;
}

std::string escapeTableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            continue;
        else
            out += c;
    }
    return out;
}

std::string unescapeTableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

bool TextTable::parse(std::string_view text, std::string& error)
{
    int32_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const size_t tab1 = line.find('\t');
        const size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            error = "line " + std::to_string(lineNumber) + ": expected NUMBER<tab>KEY<tab>TEXT";
            return false;
        }
        int32_t n = 0;
        if (!parseNumber(line.substr(0, tab1), n) || n < 1) {
            error = "line " + std::to_string(lineNumber) + ": '" + std::string(line.substr(0, tab1)) +
                    "' is not a problem number";
            return false;
        }
        const std::string_view key = line.substr(tab1 + 1, tab2 - tab1 - 1);
        std::string value = unescapeTableText(line.substr(tab2 + 1));
        ProblemTexts& p = problems_[n];
        int32_t entry = 0;
        if (key == "title")
            p.title = std::move(value);
        else if (key == "goal")
            p.goal = std::move(value);
        else if (parseNumber(key, entry))
            p.comments[entry] = std::move(value);
    }
    return true;
}

const ProblemTexts& TextTable::problem(int32_t n) const
{
    auto it = problems_.find(n);
    return it == problems_.end() ? kNoTexts : it->second;
}

void TextTable::set(int32_t n, ProblemTexts texts)
{
    if (texts.empty())
        problems_.erase(n);
    else
        problems_[n] = std::move(texts);
}

std::string TextTable::write() const
{
    std::string out = "# vostra problem texts: NUMBER<tab>title|goal|ENTRY<tab>TEXT\n";
    auto line = [&](int32_t n, const std::string& key, const std::string& text) {
        if (text.empty()) return;
        out += std::to_string(n) + '\t' + key + '\t' + escapeTableText(text) + '\n';
    };
    for (const auto& [n, p] : problems_) {
        line(n, "title", p.title);
        line(n, "goal", p.goal);
        for (const auto& [entry, text] : p.comments) line(n, std::to_string(entry), text);
    }
    return out;
}

std::string textTablePathFor(const std::string& cataloguePath)
{
    const std::string ext = ".txt";
    if (cataloguePath.size() > ext.size() &&
        cataloguePath.compare(cataloguePath.size() - ext.size(), ext.size(), ext) == 0)
        return cataloguePath.substr(0, cataloguePath.size() - ext.size()) + ".texts";
    return cataloguePath + ".texts";
}
