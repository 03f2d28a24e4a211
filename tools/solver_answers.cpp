#include "tools/solver_answers.h"

#include <cstdlib>

namespace sv = vostra::solver;

std::vector<sv::Point> correctMoves(const sv::Answer& a)
{
    std::vector<sv::Point> moves;
    if (sv::outcomeRank(a.result) <= 0) return moves;
    for (const sv::MoveResult& m : a.firstMoves)
        if (m.outcome == a.result) moves.push_back(m.move);
    return moves;
}

size_t proofSize(const sv::ProofNode& root)
{
    size_t n = 0;
    std::vector<const sv::ProofNode*> stack{&root};
    while (!stack.empty()) {
        const sv::ProofNode* p = stack.back();
        stack.pop_back();
        ++n;
        for (const sv::ProofNode& c : p->children) stack.push_back(&c);
    }
    return n;
}

bool parseBudgetValue(const char* text, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < 0 || v > 100000000) return false;
    out = static_cast<int>(v);
    return true;
}
