#include "solver/solver.h"

#include <stdexcept>

namespace vostra::solver {

class Engine {
public:
    Engine(const Problem& p, const Budget& b) : problem(p), budget(b) {}
    Problem problem;
    Budget budget;
};

Solver::Solver(const Problem& problem, const Budget& budget)
    : engine_(std::make_unique<Engine>(problem, budget)) {}
Solver::~Solver() = default;

Answer Solver::solveAfter(const std::vector<Point>&, bool)
{
    Answer a;
    a.limit = Limit::Model;
    return a;
}

Outcome Solver::resultAfter(const std::vector<Point>&, Limit* limit)
{
    if (limit) *limit = Limit::Model;
    return Outcome::Unproven;
}

Answer solve(const Problem& problem, const Budget& budget) { return Solver(problem, budget).solve(); }

const char* outcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Unconditional: return "unconditional";
    case Outcome::Ko: return "ko";
    case Outcome::Seki: return "seki";
    case Outcome::Fails: return "fails";
    case Outcome::Unproven: break;
    }
    return "unproven";
}

const char* limitName(Limit l)
{
    switch (l) {
    case Limit::None: return "none";
    case Limit::Nodes: return "nodes";
    case Limit::Time: return "time";
    case Limit::Memory: return "memory";
    case Limit::Model: break;
    }
    return "model";
}

}  // namespace vostra::solver
