#include "host/collection_file.h"

#include <cstdio>
#include <unordered_map>

namespace {

constexpr std::string_view kCollectionHeader = "vostra collection 1";
constexpr std::string_view kProgressHeader = "vostra progress 1";

// Splits into lines (a final line without a line end counts; "\r\n" is taken).
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

bool validRecord(std::string_view r)
{
    if (r.empty()) return false;
    for (char c : r)
        if (c < '0' || c > 'o') return false;
    return true;
}

bool parseCount(std::string_view s, size_t& n)
{
    if (s.empty() || s.size() > 9) return false;
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + size_t(c - '0');
    }
    return true;
}

std::string lineError(size_t line, const std::string& what) { return "line " + std::to_string(line + 1) + ": " + what; }

}  // namespace

std::string formatCollection(const Collection& c)
{
    std::string out;
    out += kCollectionHeader;
    out += "\nname " + c.name + "\nsection problems " + std::to_string(c.records.size()) + "\n";
    for (size_t i = 0; i < c.records.size(); ++i)
        out += c.records[i] + " " + (i < c.sources.size() ? c.sources[i] : std::string()) + "\n";
    for (const auto& [name, lines] : c.extra) {
        out += "section " + name + " " + std::to_string(lines.size()) + "\n";
        for (const std::string& l : lines) out += l + "\n";
    }
    out += "end\n";
    return out;
}

bool parseCollection(std::string_view text, Collection& out, std::string& error)
{
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines[0] != kCollectionHeader) {
        error = lineError(0, "not a collection (expected \"" + std::string(kCollectionHeader) + "\")");
        return false;
    }
    if (lines.size() < 2 || lines[1].substr(0, 5) != "name " || lines[1].size() == 5) {
        error = lineError(1, "expected the collection's name");
        return false;
    }
    Collection c;
    c.name = std::string(lines[1].substr(5));
    c.id = out.id;
    bool haveProblems = false;
    size_t i = 2;
    for (;;) {
        if (i >= lines.size()) {
            error = lineError(i, "the text ends before \"end\": it was cut short");
            return false;
        }
        const std::string_view l = lines[i];
        if (l == "end") break;
        if (l.substr(0, 8) != "section ") {
            error = lineError(i, "expected a section or \"end\"");
            return false;
        }
        const size_t space = l.rfind(' ');
        const std::string name(l.substr(8, space - 8));
        size_t count = 0;
        if (space <= 8 || name.empty() || !parseCount(l.substr(space + 1), count)) {
            error = lineError(i, "malformed section line");
            return false;
        }
        ++i;
        if (name == "problems") {
            if (haveProblems) {
                error = lineError(i - 1, "a second problems section");
                return false;
            }
            haveProblems = true;
            for (size_t k = 0; k < count; ++k, ++i) {
                if (i >= lines.size()) {
                    error = lineError(i, "the problems section is cut short");
                    return false;
                }
                const std::string_view p = lines[i];
                const size_t sp = p.find(' ');
                const std::string_view record = p.substr(0, sp);
                if (!validRecord(record)) {
                    error = lineError(i, "not a problem record");
                    return false;
                }
                c.records.emplace_back(record);
                c.sources.emplace_back(sp == std::string_view::npos ? std::string_view() : p.substr(sp + 1));
            }
        } else {
            std::vector<std::string>& kept = c.extra[name];
            for (size_t k = 0; k < count; ++k, ++i) {
                if (i >= lines.size()) {
                    error = lineError(i, "section " + name + " is cut short");
                    return false;
                }
                kept.emplace_back(lines[i]);
            }
        }
    }
    if (!haveProblems || c.records.empty()) {
        error = "no problems in the collection";
        return false;
    }
    out = std::move(c);
    return true;
}

uint64_t recordHash(std::string_view record)
{
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (unsigned char ch : record) {
        h ^= ch;
        h *= 1099511628211ull;
    }
    return h;
}

std::string formatProgress(const Collection& c, const std::vector<Outcome>& outcomes)
{
    std::string out(kProgressHeader);
    out += '\n';
    char line[32];
    for (size_t i = 0; i < c.records.size() && i < outcomes.size(); ++i) {
        if (outcomes[i] == Outcome::NotTried) continue;
        std::snprintf(line, sizeof line, "%c %016llx\n", char(outcomes[i]),
                      static_cast<unsigned long long>(recordHash(c.records[i])));
        out += line;
    }
    out += "end\n";
    return out;
}

bool parseProgress(std::string_view text, const Collection& c, std::vector<Outcome>& outcomes, std::string& error)
{
    const std::vector<std::string_view> lines = splitLines(text);
    if (lines.empty() || lines[0] != kProgressHeader) {
        error = lineError(0, "not a progress file");
        return false;
    }
    std::unordered_map<uint64_t, Outcome> byHash;
    size_t i = 1;
    for (;; ++i) {
        if (i >= lines.size()) {
            error = lineError(i, "the text ends before \"end\": it was cut short");
            return false;
        }
        const std::string_view l = lines[i];
        if (l == "end") break;
        const char o = l.empty() ? 0 : l[0];
        unsigned long long h = 0;
        char extra = 0;
        if (l.size() != 18 || l[1] != ' ' || (o != 'S' && o != 'M' && o != 'F') ||
            std::sscanf(std::string(l.substr(2)).c_str(), "%16llx%c", &h, &extra) != 1) {
            error = lineError(i, "malformed outcome");
            return false;
        }
        byHash[h] = Outcome(o);
    }
    outcomes.assign(c.records.size(), Outcome::NotTried);
    for (size_t k = 0; k < c.records.size(); ++k) {
        auto it = byHash.find(recordHash(c.records[k]));
        if (it != byHash.end()) outcomes[k] = it->second;
    }
    return true;
}

std::string collectionId(std::string_view name)
{
    std::string id;
    bool dash = false;
    for (char ch : name) {
        const char c = ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch;
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            if (dash && !id.empty()) id += '-';
            dash = false;
            id += c;
        } else {
            dash = true;
        }
    }
    if (id.size() > 64) id.resize(64);
    while (!id.empty() && id.back() == '-') id.pop_back();
    return id.empty() ? "collection" : id;
}

std::string displayName(std::string_view stem)
{
    std::string out;
    bool start = true;
    for (char ch : stem) {
        if (ch == '-' || ch == '_') {
            if (!out.empty() && out.back() != ' ') out += ' ';
            start = true;
            continue;
        }
        if (static_cast<unsigned char>(ch) < ' ') continue;
        out += start && ch >= 'a' && ch <= 'z' ? char(ch - 32) : ch;
        start = ch == ' ';
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out.empty() ? "Collection" : out;
}

ProgressCounts countOutcomes(const std::vector<Outcome>& outcomes)
{
    ProgressCounts n;
    for (Outcome o : outcomes) {
        switch (o) {
        case Outcome::FirstTry:
            ++n.firstTry;
            break;
        case Outcome::AfterMistakes:
            ++n.afterMistakes;
            break;
        case Outcome::Failed:
            ++n.failed;
            break;
        case Outcome::NotTried:
            ++n.notTried;
            break;
        }
    }
    return n;
}

std::string progressLine(const Collection& c, const std::vector<Outcome>& outcomes, int32_t current)
{
    const ProgressCounts n = countOutcomes(outcomes);
    return c.name + " \u00b7 problem " + std::to_string(current) + " of " + std::to_string(c.records.size()) +
           " \u00b7 " + std::to_string(n.firstTry + n.afterMistakes) + " solved, " + std::to_string(n.failed) +
           " to retry";
}

TextTable collectionTexts(const Collection& c)
{
    TextTable table;
    auto it = c.extra.find("texts");
    if (it == c.extra.end()) return table;
    std::string text;
    for (const std::string& line : it->second) text += line + '\n';
    std::string error;
    table.parse(text, error);  // a damaged line loses the words after it, never the problems
    return table;
}

void setCollectionTexts(Collection& c, const TextTable& table)
{
    std::vector<std::string>& lines = c.extra["texts"];
    lines.clear();
    const std::string written = table.write();
    for (size_t at = 0; at < written.size();) {
        size_t end = written.find('\n', at);
        if (end == std::string::npos) end = written.size();
        if (end > at && written[at] != '#') lines.push_back(written.substr(at, end - at));
        at = end + 1;
    }
    if (lines.empty()) c.extra.erase("texts");
}
