#include "tools/sgf_reader.h"

#include <cstdio>
#include <cstring>

namespace {

bool isSpace(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool isLower(char c) { return c >= 'a' && c <= 'z'; }

// A cursor over the input that counts lines: "\n", "\r\n", "\n\r" and a lone
// "\r" each end one line.
struct Cursor {
    std::string_view in;
    size_t pos = 0;
    int32_t line = 1;

    bool atEnd() const { return pos >= in.size(); }
    char peek() const { return in[pos]; }

    // Consumes one character, or a whole two-character line break.
    void advance()
    {
        char c = in[pos++];
        if (c == '\n' || c == '\r') {
            char other = c == '\n' ? '\r' : '\n';
            if (pos < in.size() && in[pos] == other) ++pos;
            ++line;
        }
    }

    void skipSpace()
    {
        while (!atEnd() && isSpace(peek())) advance();
    }
};

class TreeReader {
public:
    TreeReader(Cursor& cursor, SgfTree& tree, SgfError& error) : c_(cursor), t_(tree), e_(error) {}

    // Reads one game tree; the cursor stands on its '('.
    bool read()
    {
        t_.line = c_.line;
        c_.advance();
        // For every open variation, the node its first node hangs from.
        std::vector<int32_t> openAttach;
        int32_t current = -1;
        bool levelHasNode = false, levelHasVariation = false;
        for (;;) {
            c_.skipSpace();
            if (c_.atEnd()) return fail(t_.line, "the game tree opened here is not closed");
            char ch = c_.peek();
            if (ch == ';') {
                if (levelHasVariation) return fail(c_.line, "a node follows the variations of its sequence");
                c_.advance();
                if (!addNode(current)) return false;
                current = static_cast<int32_t>(t_.nodes.size()) - 1;
                levelHasNode = true;
                if (!readProperties(current)) return false;
            } else if (ch == '(') {
                if (!levelHasNode) return fail(c_.line, "a variation opens before any node");
                c_.advance();
                openAttach.push_back(current);
                levelHasNode = levelHasVariation = false;
            } else if (ch == ')') {
                if (!levelHasNode) return fail(c_.line, "empty game tree or variation");
                c_.advance();
                if (openAttach.empty()) return true;
                current = openAttach.back();
                openAttach.pop_back();
                levelHasNode = levelHasVariation = true;
            } else {
                return fail(c_.line, describe("unexpected character", ch));
            }
        }
    }

private:
    Cursor& c_;
    SgfTree& t_;
    SgfError& e_;

    bool fail(int32_t line, std::string reason)
    {
        e_.line = line;
        e_.reason = std::move(reason);
        return false;
    }

    static std::string describe(const char* what, char ch)
    {
        std::string s = what;
        unsigned char u = static_cast<unsigned char>(ch);
        if (u > ' ' && u < 127) {
            s += " '";
            s += ch;
            s += "'";
        } else {
            char code[16];
            std::snprintf(code, sizeof code, " (code %u)", u);
            s += code;
        }
        return s;
    }

    bool addNode(int32_t parent)
    {
        if (static_cast<int32_t>(t_.nodes.size()) >= kSgfMaxNodes)
            return fail(c_.line, "the game tree has more than " + std::to_string(kSgfMaxNodes) + " nodes");
        SgfNode n;
        n.parent = parent;
        n.line = c_.line;
        n.firstProp = static_cast<int32_t>(t_.props.size());
        const int32_t index = static_cast<int32_t>(t_.nodes.size());
        if (parent >= 0) {
            SgfNode& p = t_.nodes[parent];
            if (p.lastChild >= 0)
                t_.nodes[p.lastChild].nextSibling = index;
            else
                p.firstChild = index;
            p.lastChild = index;
        }
        t_.nodes.push_back(n);
        return true;
    }

    bool readProperties(int32_t node)
    {
        for (;;) {
            c_.skipSpace();
            if (c_.atEnd()) return true;
            char ch = c_.peek();
            if (!isUpper(ch) && !isLower(ch)) return true;

            SgfProperty p{};
            p.line = c_.line;
            int32_t upper = 0;
            bool tooLong = false;
            while (!c_.atEnd() && (isUpper(c_.peek()) || isLower(c_.peek()))) {
                char l = c_.peek();
                if (isUpper(l)) {
                    if (upper < 7)
                        p.ident[upper] = l;
                    else
                        tooLong = true;
                    ++upper;
                }
                c_.advance();
            }
            if (tooLong) std::memset(p.ident, 0, sizeof p.ident);
            std::string name = upper > 0 && !tooLong ? std::string(p.ident) : std::string("?");

            if (static_cast<int32_t>(t_.props.size()) >= kSgfMaxProperties)
                return fail(p.line, "the game tree has more than " + std::to_string(kSgfMaxProperties) + " properties");
            p.firstValue = static_cast<int32_t>(t_.values.size());
            c_.skipSpace();
            while (!c_.atEnd() && c_.peek() == '[') {
                if (!readValue(name)) return false;
                ++p.valueCount;
                c_.skipSpace();
            }
            if (p.valueCount == 0) return fail(p.line, "property " + name + " has no value");
            t_.props.push_back(p);
            ++t_.nodes[node].propCount;
        }
    }

    // Reads "[...]": a backslash takes the next character literally, and a
    // backslash before a line break removes both (a soft line break).
    bool readValue(const std::string& name)
    {
        const int32_t startLine = c_.line;
        c_.advance();  // '['
        const size_t offset = t_.text.size();
        for (;;) {
            if (c_.atEnd()) return fail(startLine, "the value of property " + name + " begun here is not closed");
            char ch = c_.peek();
            if (ch == ']') {
                c_.advance();
                break;
            }
            if (ch == '\\') {
                c_.advance();
                if (c_.atEnd()) continue;  // reported above on the next turn
                char next = c_.peek();
                if (next == '\n' || next == '\r') {
                    c_.advance();
                    continue;
                }
                t_.text.push_back(next);
                c_.advance();
                continue;
            }
            if (ch == '\r' || ch == '\n') {
                t_.text.push_back('\n');
                c_.advance();
                continue;
            }
            t_.text.push_back(ch);
            ++c_.pos;
        }
        t_.values.emplace_back(static_cast<uint32_t>(offset), static_cast<uint32_t>(t_.text.size() - offset));
        return true;
    }
};

}  // namespace

const SgfProperty* SgfTree::find(int32_t node, std::string_view ident) const
{
    const SgfNode& n = nodes[node];
    for (int32_t i = n.firstProp; i < n.firstProp + n.propCount; ++i)
        if (ident == props[i].ident) return &props[i];
    return nullptr;
}

std::string_view SgfTree::value(const SgfProperty& p, int32_t i) const
{
    const auto& v = values[p.firstValue + i];
    return std::string_view(text).substr(v.first, v.second);
}

std::string_view SgfTree::firstValue(int32_t node, std::string_view ident) const
{
    const SgfProperty* p = find(node, ident);
    return p ? value(*p, 0) : std::string_view();
}

bool readSgf(std::string_view input, std::vector<SgfTree>& trees, SgfError& error)
{
    Cursor c{input};
    for (;;) {
        // Anything between game trees (mail headers, notes) is skipped.
        while (!c.atEnd() && c.peek() != '(') c.advance();
        if (c.atEnd()) return true;
        trees.emplace_back();
        TreeReader reader(c, trees.back(), error);
        if (!reader.read()) {
            trees.pop_back();
            return false;
        }
    }
}
