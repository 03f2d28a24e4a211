#include "tools/problem_statement.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sv = vostra::solver;

namespace {

// ---- the words of the goal ---------------------------------------------------

// The four neighbours of point p on a w x h board; -1 past an edge.
std::array<int32_t, 4> neighboursOf(int32_t p, int32_t w, int32_t h)
{
    const int32_t x = p % w, y = p / w;
    return {x > 0 ? p - 1 : -1, x + 1 < w ? p + 1 : -1, y > 0 ? p - w : -1, y + 1 < h ? p + w : -1};
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The comment's English words, lower-cased, in order.
std::vector<std::string> englishWords(std::string_view c)
{
    std::vector<std::string> words;
    for (size_t i = 0; i < c.size();) {
        if (!isLetter(c[i])) {
            ++i;
            continue;
        }
        std::string w;
        for (; i < c.size() && isLetter(c[i]); ++i) w += static_cast<char>(c[i] | 0x20);
        words.push_back(std::move(w));
    }
    return words;
}

bool startsWith(const std::string& w, std::string_view prefix) { return w.compare(0, prefix.size(), prefix) == 0; }

// Finds needle in text at a character boundary: anywhere for UTF-8, and for
// GBK only where a character starts, so that the second byte of one character
// and the first of the next never make a match.
bool containsText(std::string_view text, std::string_view needle, bool gbk)
{
    if (!gbk) return text.find(needle) != std::string_view::npos;
    for (size_t i = 0; i + needle.size() <= text.size();) {
        if (text.compare(i, needle.size(), needle) == 0) return true;
        i += static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    }
    return false;
}

bool validUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

struct CjkWord {
    const char* utf8;
    const char* gbk;  // null: not written in GBK (Japanese kana)
};

// Ordered so that the longer words are tried before the words they contain.
const CjkWord kRace[] = {{"\xe5\xaf\xb9\xe6\x9d\x80", "\xb6\xd4\xc9\xb1"},                // 对杀
                         {"\xe5\xb0\x8d\xe6\xae\xba", "\x8c\xa6\x9a\xa2"},                // 對殺
                         {"\xe6\x94\xbb\xe3\x82\x81\xe5\x90\x88\xe3\x81\x84", nullptr}};  // 攻め合い
const CjkWord kCleanLife[] = {{"\xe5\x87\x80\xe6\xb4\xbb", "\xbe\xbb\xbb\xee"},           // 净活
                              {"\xe6\xb7\xa8\xe6\xb4\xbb", "\x9c\x51\xbb\xee"}};          // 淨活
const CjkWord kSeki[] = {{"\xe5\x8f\x8c\xe6\xb4\xbb", "\xcb\xab\xbb\xee"},                // 双活
                         {"\xe9\x9b\x99\xe6\xb4\xbb", "\xeb\x70\xbb\xee"},                // 雙活
                         {"\xe3\x82\xbb\xe3\x82\xad", nullptr}};                          // セキ
const CjkWord kLive[] = {{"\xe6\xb4\xbb", "\xbb\xee"},                                    // 活
                         {"\xe7\x94\x9f\xe3\x81\x8d", nullptr}};                          // 生き
const CjkWord kKill[] = {{"\xe6\x9d\x80", "\xc9\xb1"},                                    // 杀
                         {"\xe6\xae\xba", "\x9a\xa2"}};                                   // 殺 (also 殺し)
const CjkWord kKo[] = {{"\xe5\x8a\xab", "\xbd\xd9"},                                      // 劫
                       {"\xe3\x82\xb3\xe3\x82\xa6", nullptr}};                            // コウ
const CjkWord kCapture[] = {{"\xe5\x90\x83", "\xb3\xd4"}};                                // 吃
const CjkWord kConnect[] = {{"\xe8\xbf\x9e", "\xc1\xac"},                                 // 连
                            {"\xe9\x80\xa3", "\xdf\x42"}};                                // 連

template <size_t N>
const char* findCjk(std::string_view text, const CjkWord (&words)[N], bool gbk)
{
    for (const CjkWord& w : words) {
        const char* needle = gbk ? w.gbk : w.utf8;
        if (needle && containsText(text, needle, gbk)) return w.utf8;
    }
    return nullptr;
}

// ---- points and positions ------------------------------------------------------

std::string_view trim(std::string_view s)
{
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// Calls f(x, y) for every point of a point or rectangle value.
template <typename F>
bool forEachPoint(std::string_view v, int32_t w, int32_t h, F f)
{
    v = trim(v);
    const size_t colon = v.find(':');
    int32_t x1, y1, x2, y2;
    const bool ok = colon == std::string_view::npos ? parseSgfPoint(v, w, h, x1, y1) && (x2 = x1, y2 = y1, true)
                                                    : parseSgfPoint(v.substr(0, colon), w, h, x1, y1) &&
                                                          parseSgfPoint(v.substr(colon + 1), w, h, x2, y2);
    if (!ok) return false;
    for (int32_t x = std::min(x1, x2); x <= std::max(x1, x2); ++x)
        for (int32_t y = std::min(y1, y2); y <= std::max(y1, y2); ++y) f(x, y);
    return true;
}

// The floods of one colour's chains: from each chain through its own stones
// and the empty points of the box that the other colour does not touch alone.
// A flood that reaches the open side of the box belongs to a group that can
// run away; the others are enclosed.
struct Flood {
    std::vector<int32_t> points;  // stones of the colour and empty points
    bool escapes = false;
};

std::vector<Flood> floods(const ProblemStatement& s, const std::vector<uint8_t>& box, const std::vector<uint8_t>& open,
                          int32_t colour, bool strict)
{
    const int32_t w = s.width, h = s.height, n = w * h;
    std::vector<int32_t> seen(static_cast<size_t>(n), -1);
    std::vector<Flood> result;
    auto neighbours = [&](int32_t p, auto f) {
        for (int32_t q : neighboursOf(p, w, h))
            if (q >= 0) f(q);
    };
    auto passable = [&](int32_t p) {
        if (s.stones[p] == colour) return true;
        if (s.stones[p] != 0 || !box[p]) return false;
        bool own = false, enemy = false;
        neighbours(p, [&](int32_t q) {
            own |= s.stones[q] == colour;
            enemy |= s.stones[q] == -colour;
        });
        return strict ? !enemy : own || !enemy;
    };
    for (int32_t start = 0; start < n; ++start) {
        if (s.stones[start] != colour || seen[start] >= 0) continue;
        Flood f;
        std::vector<int32_t> stack{start};
        seen[start] = start;
        while (!stack.empty()) {
            const int32_t p = stack.back();
            stack.pop_back();
            f.points.push_back(p);
            if (open[p]) f.escapes = true;
            neighbours(p, [&](int32_t q) {
                if (seen[q] != start && passable(q)) {
                    seen[q] = start;
                    stack.push_back(q);
                }
            });
        }
        // Every stone of the colour in the flood belongs to it: mark them so
        // that they do not start floods of their own.
        for (int32_t p : f.points)
            if (s.stones[p] == colour) seen[p] = start;
        result.push_back(std::move(f));
    }
    return result;
}

std::vector<int32_t> enclosedStones(const ProblemStatement& s, const std::vector<Flood>& fs, int32_t colour)
{
    std::vector<int32_t> stones;
    for (const Flood& f : fs)
        if (!f.escapes)
            for (int32_t p : f.points)
                if (s.stones[p] == colour) stones.push_back(p);
    return stones;
}

int32_t stonesIn(const ProblemStatement& s, const Flood& f, int32_t colour)
{
    int32_t n = 0;
    for (int32_t p : f.points) n += s.stones[p] == colour;
    return n;
}

// The flood holding the most stones of the colour; null when there is none.
const Flood* largestFlood(const ProblemStatement& s, const std::vector<Flood>& fs, int32_t colour)
{
    const Flood* best = nullptr;
    for (const Flood& f : fs)
        if (!best || stonesIn(s, f, colour) > stonesIn(s, *best, colour)) best = &f;
    return best;
}

// The stones of a chain, and its liberties.
void chainAt(const ProblemStatement& s, int32_t start, std::vector<int32_t>& stones, int32_t& liberties)
{
    const int32_t w = s.width, h = s.height;
    std::vector<uint8_t> seen(s.stones.size(), 0);
    stones.assign(1, start);
    seen[start] = 1;
    liberties = 0;
    for (size_t i = 0; i < stones.size(); ++i) {
        const int32_t p = stones[i];
        for (int32_t q : neighboursOf(p, w, h)) {
            if (q < 0 || seen[q]) continue;
            if (s.stones[q] == s.stones[start]) {
                seen[q] = 1;
                stones.push_back(q);
            } else if (s.stones[q] == 0) {
                seen[q] = 1;
                ++liberties;
            }
        }
    }
}

// A race between open groups: our chain in contact with the opponent that
// has the fewest liberties, and the largest of the opponent's chains that
// touch it.  Returns the opponent's chain; ours goes to racer.  With `among`,
// only our chains with a stone there count, and the opponent's chain is the
// one with the fewest liberties.
std::vector<int32_t> raceInContact(const ProblemStatement& s, int32_t colour, std::vector<int32_t>& racer,
                                   const std::vector<int32_t>* among = nullptr)
{
    const bool weakest = among != nullptr;
    const int32_t w = s.width, h = s.height;
    auto touching = [&](const std::vector<int32_t>& stones, int32_t other) {
        std::vector<int32_t> starts;
        for (int32_t q : stones) {
            for (int32_t r : neighboursOf(q, w, h))
                if (r >= 0 && s.stones[r] == other) starts.push_back(r);
        }
        return starts;
    };
    std::vector<int32_t> stones;
    int32_t bestLiberties = 1 << 20, liberties = 0;
    std::vector<uint8_t> done(s.stones.size(), 0);
    racer.clear();
    for (int32_t p = 0; p < w * h; ++p) {
        if (s.stones[p] != -colour || done[p]) continue;
        chainAt(s, p, stones, liberties);
        for (int32_t q : stones) done[q] = 1;
        if (among && std::none_of(stones.begin(), stones.end(), [&](int32_t q) {
                return std::find(among->begin(), among->end(), q) != among->end();
            }))
            continue;
        if (!touching(stones, colour).empty() && liberties < bestLiberties) {
            racer = stones;
            bestLiberties = liberties;
        }
    }
    std::vector<int32_t> best;
    int32_t fewest = 1 << 20;
    for (int32_t start : touching(racer, colour)) {
        chainAt(s, start, stones, liberties);
        if (weakest ? liberties < fewest : stones.size() > best.size()) best = stones;
        fewest = std::min(fewest, liberties);
    }
    return best;
}

}  // namespace

GoalWords goalFromWords(std::string_view comment, bool gbk)
{
    GoalWords g;
    const std::vector<std::string> words = englishWords(comment);
    auto has = [&](std::string_view prefix) {
        for (const std::string& w : words)
            if (startsWith(w, prefix)) return true;
        return false;
    };
    auto hasWord = [&](std::string_view word) { return std::find(words.begin(), words.end(), word) != words.end(); };
    auto set = [&](sv::GoalKind k, std::string m) {
        if (!g.kind) {
            g.kind = k;
            g.matched = std::move(m);
        }
    };
    if (const char* w = findCjk(comment, kRace, gbk)) set(sv::GoalKind::CapturingRace, w);
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if ((words[i] == "capturing" || words[i] == "capture" || words[i] == "semeai") &&
            (words[i + 1] == "race" || words[i + 1] == "races"))
            set(sv::GoalKind::CapturingRace, "capturing race");
    if (hasWord("semeai")) set(sv::GoalKind::CapturingRace, "semeai");
    if (const char* w = findCjk(comment, kCleanLife, gbk)) {
        g.cleanLife = true;
        set(sv::GoalKind::Live, w);
    }
    if (hasWord("seki") || findCjk(comment, kSeki, gbk)) {
        g.seki = true;
        set(sv::GoalKind::Live, "seki");
    }
    if (has("kill") || hasWord("dies") || hasWord("die") || findCjk(comment, kKill, gbk))
        set(sv::GoalKind::Kill, has("kill")                         ? "kill"
                                : hasWord("dies") || hasWord("die") ? "die"
                                                                    : findCjk(comment, kKill, gbk));
    if (has("live") || hasWord("living") || findCjk(comment, kLive, gbk))
        set(sv::GoalKind::Live, has("live") || hasWord("living") ? "live" : findCjk(comment, kLive, gbk));
    if (has("captur") || findCjk(comment, kCapture, gbk))
        set(sv::GoalKind::Capture, has("captur") ? "capture" : findCjk(comment, kCapture, gbk));
    if (hasWord("cut") || hasWord("separate")) set(sv::GoalKind::Cut, "cut");
    if (has("connect") || (hasWord("link")) || findCjk(comment, kConnect, gbk))
        set(sv::GoalKind::Connect, has("connect") || hasWord("link") ? "connect" : findCjk(comment, kConnect, gbk));
    if (hasWord("ko") || findCjk(comment, kKo, gbk)) {
        g.ko = true;
        if (g.matched.empty()) g.matched = hasWord("ko") ? "ko" : findCjk(comment, kKo, gbk);
    }
    return g;
}

bool parseGoalOption(std::string_view t, StatementOptions& o)
{
    o = StatementOptions();
    if (t == "live")
        o.goal = sv::GoalKind::Live;
    else if (t == "live-clean")
        o.goal = sv::GoalKind::Live, o.cleanLife = true;
    else if (t == "kill")
        o.goal = sv::GoalKind::Kill;
    else if (t == "capture")
        o.goal = sv::GoalKind::Capture;
    else if (t == "escape")
        o.goal = sv::GoalKind::Escape;
    else if (t == "connect")
        o.goal = sv::GoalKind::Connect;
    else if (t == "cut")
        o.goal = sv::GoalKind::Cut;
    else if (t == "race")
        o.goal = sv::GoalKind::CapturingRace;
    else if (t == "ko")
        o.goalKo = true;
    else
        return false;
    return true;
}

const char* goalKindName(sv::GoalKind k)
{
    switch (k) {
    case sv::GoalKind::Live:
        return "live";
    case sv::GoalKind::Kill:
        return "kill";
    case sv::GoalKind::Capture:
        return "capture";
    case sv::GoalKind::Escape:
        return "escape";
    case sv::GoalKind::Connect:
        return "connect";
    case sv::GoalKind::Cut:
        return "cut";
    case sv::GoalKind::CapturingRace:
        return "race";
    }
    return "?";
}

bool parseSgfPoint(std::string_view v, int32_t w, int32_t h, int32_t& x, int32_t& y)
{
    if (v.size() != 2 || v[0] < 'a' || v[0] > 'z' || v[1] < 'a' || v[1] > 'z') return false;
    x = v[0] - 'a';
    y = v[1] - 'a';
    return x < w && y < h;
}

std::string sgfPoint(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x > 25 || y > 25) return "";
    return std::string{static_cast<char>('a' + x), static_cast<char>('a' + y)};
}

sv::Problem ProblemStatement::solverProblem() const
{
    sv::Problem p;
    p.cols = width;
    p.rows = height;
    p.stones = stones;
    p.toPlay = toPlay;
    p.goal = goal;
    p.region = region;
    if (koBanIndex >= 0) p.koBan = {static_cast<int8_t>(koBanIndex % width), static_cast<int8_t>(koBanIndex / width)};
    return p;
}

bool readStatement(const SgfTree& t, const StatementOptions& options, ProblemStatement& s, std::string& error,
                   int32_t& errorLine)
{
    s = ProblemStatement();
    s.line = t.line;
    if (t.nodes.empty()) {
        error = "empty game tree";
        errorLine = t.line;
        return false;
    }
    if (const SgfProperty* sz = t.find(0, "SZ")) {
        std::string_view v = trim(t.value(*sz, 0));
        const size_t colon = v.find(':');
        auto num = [](std::string_view x, int32_t& out) {
            x = trim(x);
            if (x.empty() || x.size() > 2) return false;
            out = 0;
            for (char c : x) {
                if (c < '0' || c > '9') return false;
                out = out * 10 + (c - '0');
            }
            return out >= 1 && out <= 25;
        };
        const bool ok = colon == std::string_view::npos
                            ? num(v, s.width) && (s.height = s.width, true)
                            : num(v.substr(0, colon), s.width) && num(v.substr(colon + 1), s.height);
        if (!ok) {
            error = "SZ[" + std::string(v.substr(0, 20)) + "] is not a board size the solver reads";
            errorLine = sz->line;
            return false;
        }
    }
    const int32_t w = s.width, h = s.height;
    s.stones.assign(static_cast<size_t>(w * h), 0);

    // The setup: the root and the move-less nodes that follow it one by one.
    int32_t playerToMove = 0, firstMove = 0;
    std::vector<int32_t> setupNodes;
    std::string comment;
    for (int32_t node = 0; node >= 0;) {
        if (t.find(node, "B") || t.find(node, "W")) {
            firstMove = t.find(node, "B") ? 1 : -1;
            break;
        }
        setupNodes.push_back(node);
        const SgfNode& n = t.nodes[node];
        for (int32_t i = n.firstProp; i < n.firstProp + n.propCount; ++i) {
            const SgfProperty& p = t.props[i];
            const int8_t colour = !std::strcmp(p.ident, "AB") ? 1 : !std::strcmp(p.ident, "AW") ? -1 : 0;
            if (colour == 0 && std::strcmp(p.ident, "AE")) continue;
            for (int32_t k = 0; k < p.valueCount; ++k)
                if (!forEachPoint(t.value(p, k), w, h, [&](int32_t x, int32_t y) { s.stones[y * w + x] = colour; })) {
                    error = std::string(p.ident) + "[" + std::string(t.value(p, k).substr(0, 20)) +
                            "] is not a point of the board";
                    errorLine = p.line;
                    return false;
                }
        }
        if (const SgfProperty* pl = t.find(node, "PL")) {
            std::string_view v = trim(t.value(*pl, 0));
            // PL[1] and PL[2] are written by some old programs for Black and White.
            const char c = v.empty() ? 0 : static_cast<char>(v[0]);
            playerToMove = (c == 'B' || c == 'b' || c == '1')   ? 1
                           : (c == 'W' || c == 'w' || c == '2') ? -1
                                                                : playerToMove;
        }
        if (const SgfProperty* c = t.find(node, "C")) {
            if (!comment.empty()) comment += '\n';
            comment += t.value(*c, 0);
        }
        if (n.firstChild < 0) break;
        if (n.firstChild != n.lastChild) {
            firstMove = t.find(n.firstChild, "B") ? 1 : t.find(n.firstChild, "W") ? -1 : 0;
            break;
        }
        node = n.firstChild;
    }
    s.toPlay = playerToMove ? playerToMove : firstMove ? firstMove : 1;

    // The area of play.
    int32_t minX = w, minY = h, maxX = -1, maxY = -1, stoneCount = 0;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            if (s.stones[y * w + x]) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
                ++stoneCount;
            }
    s.region.assign(static_cast<size_t>(w * h), 0);
    std::vector<uint8_t> box(static_cast<size_t>(w * h), 0), open(static_cast<size_t>(w * h), 0);
    if (stoneCount == 0) {
        s.expressible = false;
        s.whyNot = "the position has no stones";
        return true;
    }
    auto widen = [](int32_t lo, int32_t hi, int32_t size, int32_t& a, int32_t& b) {
        a = lo <= 3 ? 0 : lo - 1;
        b = hi >= size - 4 ? size - 1 : hi + 1;
    };
    int32_t x0, x1, y0, y1;
    widen(minX, maxX, w, x0, x1);
    widen(minY, maxY, h, y0, y1);
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) {
            box[y * w + x] = 1;
            const bool openSide =
                (x == x0 && x0 > 0) || (x == x1 && x1 < w - 1) || (y == y0 && y0 > 0) || (y == y1 && y1 < h - 1);
            open[y * w + x] = openSide;
        }
    const bool whole = x0 == 0 && y0 == 0 && x1 == w - 1 && y1 == h - 1;

    // The marks on stones.
    std::vector<int32_t> marked[2];  // [0] Black, [1] White
    for (int32_t node : setupNodes)
        for (const char* id : {"TR", "SQ", "MA", "CR"})
            if (const SgfProperty* p = t.find(node, id))
                for (int32_t k = 0; k < p->valueCount; ++k)
                    forEachPoint(t.value(*p, k), w, h, [&](int32_t x, int32_t y) {
                        const int8_t c = s.stones[y * w + x];
                        if (c) marked[c > 0 ? 0 : 1].push_back(y * w + x);
                    });
    auto ownIndex = [&](int32_t colour) { return colour > 0 ? 0 : 1; };
    const std::vector<int32_t>& markedOwn = marked[ownIndex(s.toPlay)];
    const std::vector<int32_t>& markedTheirs = marked[ownIndex(-s.toPlay)];

    // The goal.
    bool gbk = false;
    if (const SgfProperty* ca = t.find(0, "CA")) {
        std::string v(trim(t.value(*ca, 0)));
        for (char& c : v) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        gbk = v.rfind("GB", 0) == 0 || v == "CP936" || v == "EUC-CN";
    } else {
        gbk = !validUtf8(comment);
    }
    const GoalWords words = goalFromWords(comment, gbk);
    std::optional<sv::GoalKind> kind = options.goal ? options.goal : words.kind;
    s.koExpected = options.goalKo || (!options.goal && words.ko);
    s.goal.sekiCounts = !(options.goal ? options.cleanLife : words.cleanLife);
    if (options.goal || options.goalKo)
        s.goalWords = "the command line";
    else if (words.kind || words.ko)
        s.goalWords = "\"" + words.matched + "\"";
    s.goalRead = kind.has_value();

    // Targets: the marks, else the enclosed groups.
    // Walls with gaps: when no group of a colour is enclosed, the empty points
    // the other colour touches are closed too.
    std::vector<Flood> ownFloods = floods(s, box, open, s.toPlay, false);
    std::vector<Flood> theirFloods = floods(s, box, open, -s.toPlay, false);
    std::vector<int32_t> enclosedOwn = enclosedStones(s, ownFloods, s.toPlay);
    std::vector<int32_t> enclosedTheirs = enclosedStones(s, theirFloods, -s.toPlay);
    if (enclosedOwn.empty()) {
        ownFloods = floods(s, box, open, s.toPlay, true);
        enclosedOwn = enclosedStones(s, ownFloods, s.toPlay);
    }
    if (enclosedTheirs.empty()) {
        theirFloods = floods(s, box, open, -s.toPlay, true);
        enclosedTheirs = enclosedStones(s, theirFloods, -s.toPlay);
    }
    auto defendsOwn = [](sv::GoalKind k) {
        return k == sv::GoalKind::Live || k == sv::GoalKind::Escape || k == sv::GoalKind::Connect;
    };
    if (!kind) {
        if (!markedOwn.empty() && markedTheirs.empty())
            kind = sv::GoalKind::Live;
        else if (!markedTheirs.empty() && markedOwn.empty())
            kind = sv::GoalKind::Kill;
        else if (!enclosedOwn.empty())
            kind = sv::GoalKind::Live;
        else if (!enclosedTheirs.empty())
            kind = sv::GoalKind::Kill;
    }
    std::vector<int32_t> targets, racer;
    const bool raceGoal = kind && *kind == sv::GoalKind::CapturingRace;
    if (kind) {
        bool own = defendsOwn(*kind);
        // A race is about the opponent's group, unless only our own is marked
        // or enclosed; then our group must live.
        if (*kind == sv::GoalKind::CapturingRace)
            own = markedTheirs.empty() && (!markedOwn.empty() || enclosedTheirs.empty());
        // Our own group shut in, racing the opponent's chains beside it: the
        // race is won by taking the weakest of those, ours kept.
        if (*kind == sv::GoalKind::CapturingRace && own && markedOwn.empty() && !enclosedOwn.empty()) {
            std::vector<int32_t> contact = raceInContact(s, -s.toPlay, racer, &enclosedOwn);
            if (!contact.empty()) {
                own = false;
                targets = contact;
            } else {
                racer.clear();
            }
        }
        const std::vector<int32_t>& m = own ? markedOwn : markedTheirs;
        if (targets.empty() && !m.empty()) {
            targets = m;
            s.targetsMarked = true;
        } else if (targets.empty()) {
            targets = own ? enclosedOwn : enclosedTheirs;
            // A few stones shut in somewhere are seldom what a problem is
            // about when a much larger group of the colour is in the fight:
            // that group is the target, in the area its flood gives.
            const int32_t colour = own ? s.toPlay : -s.toPlay;
            const Flood* largest = largestFlood(s, own ? ownFloods : theirFloods, colour);
            if (*kind != sv::GoalKind::CapturingRace && largest &&
                2 * static_cast<int32_t>(targets.size()) < stonesIn(s, *largest, colour)) {
                targets.clear();
                for (int32_t p : largest->points)
                    if (s.stones[p] == colour) targets.push_back(p);
            }
        }
        // A race between groups that are open to the outside: the
        // opponent's weakest chain in contact with one of ours.
        if (targets.empty() && *kind == sv::GoalKind::CapturingRace) {
            own = false;
            targets = raceInContact(s, -s.toPlay, racer);
        }
        // A group the walls do not close in (a loose net, a group running
        // along the edge): every stone of its colour is the target and the
        // whole box around the stones is the area; reaching the box's open
        // side counts as escaping.
        if (targets.empty() && *kind != sv::GoalKind::CapturingRace && !whole) {
            for (int32_t p = 0; p < w * h; ++p)
                if (s.stones[p] == (own ? s.toPlay : -s.toPlay)) targets.push_back(p);
            s.openArea = !targets.empty();
        }
        s.goal.kind = *kind == sv::GoalKind::CapturingRace && own ? sv::GoalKind::Live : *kind;
        // Our side of a race must not be captured on the way.
        if (*kind == sv::GoalKind::CapturingRace && !own)
            for (int32_t p : !markedOwn.empty() ? markedOwn : racer)
                s.goal.keep.push_back({static_cast<int8_t>(p % w), static_cast<int8_t>(p / w)});
    }
    std::sort(targets.begin(), targets.end());
    targets.erase(std::unique(targets.begin(), targets.end()), targets.end());
    // Stones to capture whose flood reaches the open side of the box can run
    // away or join a group outside; the frame would hold them in and make a
    // capture look certain that is not.
    bool targetsRun = false;
    if (kind && *kind == sv::GoalKind::Capture) {
        targetsRun = s.openArea;
        for (const Flood& f : theirFloods)
            if (f.escapes)
                for (int32_t p : f.points) targetsRun |= std::binary_search(targets.begin(), targets.end(), p);
    }
    for (int32_t p : targets) s.goal.targets.push_back({static_cast<int8_t>(p % w), static_cast<int8_t>(p / w)});

    // The area of play: the floods of the targets' groups and of the enclosed
    // groups touching them (the other side of a capturing race), and every
    // point next to those.
    {
        std::vector<uint8_t> inFlood(static_cast<size_t>(w * h), 0), isTarget(static_cast<size_t>(w * h), 0);
        for (int32_t p : targets) isTarget[p] = 1;
        auto addFlood = [&](const Flood& f) {
            for (int32_t p : f.points) inFlood[p] = 1;
        };
        for (const std::vector<Flood>* fs : {&ownFloods, &theirFloods})
            for (const Flood& f : *fs)
                for (int32_t p : f.points)
                    if (isTarget[p]) {
                        addFlood(f);
                        break;
                    }
        for (const std::vector<Flood>* fs : {&ownFloods, &theirFloods})
            for (const Flood& f : *fs) {
                if (f.escapes) continue;
                bool touches = false;
                for (int32_t p : f.points) {
                    for (int32_t q : neighboursOf(p, w, h))
                        if (q >= 0 && isTarget[q] && s.stones[q] != s.stones[p] && s.stones[p]) touches = true;
                }
                if (touches) addFlood(f);
            }
        // In a race the chains that touch the targets must be capturable
        // too: their stones and every liberty belong to the area.
        if (raceGoal && !targets.empty()) {
            std::vector<int32_t> stones;
            int32_t liberties = 0;
            for (int32_t p = 0; p < w * h; ++p) {
                if (s.stones[p] == 0 || isTarget[p] || (s.stones[p] == s.stones[targets[0]]) || inFlood[p]) continue;
                bool touches = false;
                for (int32_t q : neighboursOf(p, w, h))
                    if (q >= 0 && isTarget[q]) touches = true;
                if (!touches) continue;
                chainAt(s, p, stones, liberties);
                for (int32_t c : stones) {
                    inFlood[c] = 1;
                    for (int32_t q : neighboursOf(c, w, h))
                        if (q >= 0 && s.stones[q] == 0) inFlood[q] = 1;
                }
            }
        }
        if (!racer.empty()) {
            // Two open groups racing: their stones and two lines around them.
            std::fill(inFlood.begin(), inFlood.end(), 0);
            for (const std::vector<int32_t>* chain : {&targets, &racer})
                for (int32_t p : *chain) inFlood[p] = 1;
            std::vector<uint8_t> grown = inFlood;
            for (int32_t p = 0; p < w * h; ++p) {
                if (inFlood[p]) continue;
                for (int32_t q : neighboursOf(p, w, h))
                    if (q >= 0 && inFlood[q] && box[p]) grown[p] = 1;
            }
            inFlood = grown;
        }
        // To kill, the area is the room the defender could make eyes in: the
        // empty points at most three steps from the stones.  Points farther
        // out are framed.  (At two steps the frame stood close enough to
        // take the defender's room on the edge and let kills look certain
        // that books answer with a ko.  To live, or to capture stones that
        // may run or join a group outside, all of the flood stays.)
        constexpr int32_t kKillReach = 3;
        if (kind && *kind == sv::GoalKind::Kill && !s.openArea) {
            std::vector<int32_t> dist(static_cast<size_t>(w * h), -1), queue;
            for (int32_t p = 0; p < w * h; ++p)
                if (inFlood[p] && s.stones[p]) {
                    dist[p] = 0;
                    queue.push_back(p);
                }
            for (size_t i = 0; i < queue.size(); ++i) {
                const int32_t p = queue[i];
                for (int32_t q : neighboursOf(p, w, h))
                    if (q >= 0 && inFlood[q] && dist[q] < 0) {
                        dist[q] = dist[p] + 1;
                        queue.push_back(q);
                    }
            }
            for (int32_t p = 0; p < w * h; ++p)
                if (inFlood[p] && !s.stones[p] && dist[p] > kKillReach) inFlood[p] = 0;
        }
        // The author's main line shows where the fight is.  When a move of it
        // lies outside the area (the wall attacked from outside, the
        // defender running along the edge), the frame there would close the
        // author's own line off: then every point the main line plays on
        // belongs to the area.  To kill, a frame stone on such a point would
        // also be an attacker's stone nobody can capture in the defender's
        // room, and would make a kill look certain that is not.
        if (kind && !targets.empty() && !s.openArea && racer.empty()) {
            std::vector<int32_t> mainLine;
            for (int32_t node = t.nodes[0].firstChild; node >= 0; node = t.nodes[node].firstChild)
                for (const char* id : {"B", "W"})
                    if (const SgfProperty* m = t.find(node, id)) {
                        int32_t x, y;
                        if (m->valueCount > 0 && parseSgfPoint(trim(t.value(*m, 0)), w, h, x, y) && box[y * w + x])
                            mainLine.push_back(y * w + x);
                    }
            auto inArea = [&](int32_t p) {
                bool near = inFlood[p] != 0;
                for (int32_t q : neighboursOf(p, w, h)) near |= q >= 0 && inFlood[q];
                return near;
            };
            if (std::any_of(mainLine.begin(), mainLine.end(), [&](int32_t p) { return !inArea(p); }))
                for (int32_t p : mainLine)
                    if (!s.stones[p]) inFlood[p] = 1;
        }
        for (int32_t p = 0; p < w * h; ++p) {
            if (!inFlood[p]) continue;
            s.region[p] = 1;
            for (int32_t q : neighboursOf(p, w, h))
                if (q >= 0) s.region[q] = 1;
        }
        if (s.openArea) {
            // Three lines around the targets, inside the box.
            std::fill(s.region.begin(), s.region.end(), 0);
            for (int32_t p = 0; p < w * h; ++p) {
                if (!isTarget[p]) continue;
                const int32_t px = p % w, py = p / w;
                for (int32_t y = std::max(0, py - 3); y <= std::min(h - 1, py + 3); ++y)
                    for (int32_t x = std::max(0, px - 3); x <= std::min(w - 1, px + 3); ++x)
                        if (box[y * w + x]) s.region[y * w + x] = 1;
            }
        }
        // What lies just outside the area.  To kill, a stone of the
        // defender's there, with a liberty nobody may fill, could never be
        // captured: the targets would lean on it (a stone standing apart next
        // to the fight, say).  Such chains join the area with their
        // liberties, inside the attacker's frame.  To live, the owner's
        // stones outside are its strength on the open board, as the author
        // means them, and stay; but an empty point between them and the area
        // is no place for a frame stone of the attacker's, which nobody could
        // capture: it joins the area (a corner point beside the owner's
        // stones on the edge, say), and so on while the area grows.
        if (kind && !s.openArea && !targets.empty()) {
            const int8_t colour = s.stones[targets[0]];
            auto touchesArea = [&](int32_t p) {
                for (int32_t q : neighboursOf(p, w, h))
                    if (q >= 0 && s.region[q]) return true;
                return false;
            };
            if (!defendsOwn(s.goal.kind)) {
                std::vector<uint8_t> join(static_cast<size_t>(w * h), 0);
                std::vector<int32_t> stones;
                int32_t liberties = 0;
                for (int32_t p = 0; p < w * h; ++p) {
                    if (s.stones[p] != colour || s.region[p] || join[p] || !touchesArea(p)) continue;
                    chainAt(s, p, stones, liberties);
                    for (int32_t c : stones) {
                        join[c] = 1;
                        for (int32_t q : neighboursOf(c, w, h))
                            if (q >= 0 && !s.stones[q]) join[q] = 1;
                    }
                }
                for (int32_t p = 0; p < w * h; ++p) s.region[p] |= join[p];
            } else {
                auto touchesOwnOutside = [&](int32_t p) {
                    for (int32_t q : neighboursOf(p, w, h))
                        if (q >= 0 && s.stones[q] == colour && !s.region[q]) return true;
                    return false;
                };
                for (bool grew = true; grew;) {
                    grew = false;
                    for (int32_t p = 0; p < w * h; ++p)
                        if (!s.region[p] && !s.stones[p] && box[p] && touchesArea(p) && touchesOwnOutside(p))
                            s.region[p] = grew = true;
                }
            }
        }
        // A chain of ours that the area leaves out but that shares a liberty
        // in it with the stones to save is of their group: it joins the
        // targets and the area, with its liberties.
        if (kind && defendsOwn(s.goal.kind) && !s.targetsMarked && !s.openArea && !targets.empty() &&
            s.goal.kind != sv::GoalKind::Connect) {
            const int8_t colour = s.stones[targets[0]];
            std::vector<uint8_t> in(static_cast<size_t>(w * h), 0);
            for (int32_t p : targets) in[p] = 1;
            std::vector<int32_t> stones, added;
            int32_t liberties = 0;
            for (int32_t t : targets)
                for (int32_t e : neighboursOf(t, w, h)) {
                    if (e < 0 || s.stones[e] != 0 || !s.region[e]) continue;
                    for (int32_t q : neighboursOf(e, w, h)) {
                        if (q < 0 || s.stones[q] != colour || in[q] || s.region[q]) continue;
                        chainAt(s, q, stones, liberties);
                        for (int32_t c : stones) {
                            in[c] = 1;
                            added.push_back(c);
                        }
                    }
                }
            for (int32_t c : added) {
                s.region[c] = 1;
                s.goal.targets.push_back({static_cast<int8_t>(c % w), static_cast<int8_t>(c / w)});
                for (int32_t q : neighboursOf(c, w, h))
                    if (q >= 0 && s.stones[q] == 0) s.region[q] = 1;
            }
        }
        // Points left out that the area closes in on every side (a corner
        // point behind two points of the area, say) belong to it: a frame
        // stone there would sit inside the fight, a stone nobody can capture.
        // That holds for the room a kill leaves out too: only what of it
        // reaches the open side or the wall's far side is framed, as a
        // thicker wall.
        if (!s.openArea) {
            std::vector<int32_t> component(static_cast<size_t>(w * h), -1), stack, members;
            for (int32_t start = 0; start < w * h; ++start) {
                if (s.region[start] || component[start] >= 0) continue;
                bool outside = false;
                members.clear();
                stack.assign(1, start);
                component[start] = start;
                while (!stack.empty()) {
                    const int32_t p = stack.back();
                    stack.pop_back();
                    members.push_back(p);
                    if (!box[p] || open[p]) outside = true;
                    for (int32_t q : neighboursOf(p, w, h))
                        if (q >= 0 && !s.region[q] && component[q] < 0) {
                            component[q] = start;
                            stack.push_back(q);
                        }
                }
                if (!outside)
                    for (int32_t p : members) s.region[p] = 1;
            }
        }
        for (int32_t p = 0; p < w * h; ++p)
            if (s.region[p] && !s.stones[p]) ++s.regionEmpty;
    }

    if (whole) {
        s.expressible = false;
        s.whyNot = "the stones spread over the whole board: an open fight, not an enclosed problem";
    } else if (!kind) {
        s.expressible = false;
        s.whyNot = "no goal in the comment and no enclosed group to infer one from (an open fight?)";
    } else if (targets.empty()) {
        s.expressible = false;
        s.whyNot =
            std::string("the goal \"") + goalKindName(*kind) + "\" names no stones: no marks and no enclosed group";
    } else if (targetsRun) {
        s.expressible = false;
        s.whyNot =
            "the stones to capture can run out of the area (an open fight): the solver's frame would hold them in";
    } else if (s.goal.kind == sv::GoalKind::Connect || s.goal.kind == sv::GoalKind::Cut) {
        s.expressible = false;
        s.whyNot = std::string("the solver does not read \"") + goalKindName(s.goal.kind) + "\" goals yet";
    } else if (s.regionEmpty > kMaxRegionEmpty) {
        s.expressible = false;
        s.whyNot = "the area of play has " + std::to_string(s.regionEmpty) +
                   " empty points; the solver reads at most " + std::to_string(kMaxRegionEmpty) + " (an open fight?)";
    }
    return true;
}
