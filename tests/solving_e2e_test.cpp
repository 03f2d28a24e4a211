// End-to-end solving sessions: the headless program driven by scripts that
// are generated from each catalogue problem's tree, checked against the
// reference model of the tour of White's defences.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/frontend.h"
#include "solving_support.h"

using namespace solving_test;

namespace {

class SolvingSessions : public ::testing::Test {
protected:
    void SetUp() override { platformStart(240, 320, nullptr); }
};

// A script and the model's prediction for each of its dumps.
struct Plan {
    int problem = 1;
    std::string script;
    std::vector<std::vector<std::string>> events;
    std::vector<std::string> states;  // "node solved failed history", or "" when not predicted
    std::vector<int> problems;
    std::vector<std::string> what;

    void expect(SessionModel& m, const std::string& label, const std::string& state)
    {
        script += "dump\n";
        events.push_back(m.events);
        m.events.clear();
        states.push_back(state);
        problems.push_back(problem);
        what.push_back(label);
    }
    void checkpoint(SessionModel& m, const std::string& label)
    {
        expect(m, label,
               std::to_string(m.current()) + " " + std::to_string(m.solved) + " " + std::to_string(m.failed) + " " +
                   m.history());
    }
};

std::string stateOf(const Dump& d)
{
    return d.field("node") + " " + d.field("solved") + " " + d.field("failed") + " " + d.field("history");
}

void tap(Plan& p, int x, int y) { p.script += "tap " + std::to_string(x) + " " + std::to_string(y) + "\n"; }

// Plays towards leaf `target`: the target's own moves where the position is on
// its line, otherwise a move that can still end solved; each "Good" is
// followed by the next variation, by a key press or by the right soft key.
void playSession(Plan& p, SessionModel& m, int target, bool useSoftKey, bool passByCommand)
{
    std::vector<int> line;
    for (int n = target; n > 0; n = m.tree.parent(n)) line.push_back(n);
    p.script += "rtap 3 3\n";
    m.restart();
    for (int steps = 0; steps < 400 && !m.solved && !m.failed; ++steps) {
        if (m.pending) {
            p.script += useSoftKey ? "command 40013\n" : "key\n";
            m.nextVariation();
            continue;
        }
        std::vector<int> kids = m.tree.children(m.current());
        if (kids.empty()) break;
        int choice = 0;
        for (int k : kids)
            if (std::find(line.begin(), line.end(), k) != line.end()) choice = k;
        for (size_t i = 0; i < kids.size() && choice == 0; ++i)
            if (m.tree.winnable(kids[i])) choice = kids[i];
        if (choice == 0) choice = kids[0];
        // A pass is given by the Pass command, or by a tap on the pass
        // substitute point where that can be tapped, in turns.
        int32 c, r;
        m.point(choice, c, r);
        const int x = pointCenterX(*m.board, c), y = pointCenterY(*m.board, r);
        if (isPass(m.tree.col[choice], m.tree.row[choice]) && (passByCommand || x >= 240 || y >= 268)) {
            p.script += "command 40083\n";
            c = r = 20;
        } else {
            tap(p, x, y);
        }
        m.userMove(c, r);
    }
}

void runPlan(const Plan& p, int problem)
{
    Transcript t(runVostra(p.script));
    ASSERT_EQ(t.dumps.size(), p.states.size()) << "problem " << problem;
    for (size_t i = 0; i < p.states.size(); ++i) {
        SCOPED_TRACE("problem " + std::to_string(problem) + ", " + p.what[i]);
        EXPECT_EQ(t.dumps[i].field("problem"), std::to_string(p.problems[i]));
        EXPECT_EQ(t.events[i], p.events[i]);
        if (!p.states[i].empty()) {
            EXPECT_EQ(stateOf(t.dumps[i]), p.states[i]);
        }
    }
}

}  // namespace

TEST_F(SolvingSessions, EveryLineOfEveryCatalogueProblem)
{
    const std::vector<std::string> records = catalogueRecords();
    ASSERT_FALSE(records.empty());
    const int count = static_cast<int>(records.size());
    for (int problem = 1; problem <= count; ++problem) {
        SessionModel m(records[problem - 1]);
        Plan p;
        for (int k = 1; k < problem; ++k) p.script += "command 40005\n";
        p.problem = problem;
        p.expect(m, "loaded", "");

        // In a sound problem every White answer to a move that can succeed
        // can itself be refuted: then every successful line ends solved and
        // every failed line ends failed.
        bool sound = true;
        for (int n = 1; n < m.tree.size(); ++n)
            if (m.tree.depth[n] % 2 == 0 && m.tree.winnable(m.tree.parent(n))) sound = sound && m.tree.winnable(n);

        bool leftForNext = false;
        int session = 0;
        for (int leaf : m.tree.leaves()) {
            ++session;
            playSession(p, m, leaf, session % 2 == 0, session % 4 < 2);
            if (sound) {
                EXPECT_EQ(m.tree.flag[leaf] == '1' ? m.solved : m.failed, true)
                    << "problem " << problem << ", line to node " << leaf;
            }
            p.checkpoint(m, "line to node " + std::to_string(leaf));
            if (m.solved && !leftForNext && count > 1) {
                // The right soft key now reads "Next problem" and goes there;
                // then back again (Next wraps from the last problem to 1).
                leftForNext = true;
                p.script += "command 40013\n";
                m.setKeyMode(0);
                p.problem = problem % count + 1;
                p.expect(m, "next problem", "0 0 0 ");
                if (problem < count)
                    p.script += "command 40008\n";
                else
                    for (int k = 1; k < count; ++k) p.script += "command 40005\n";
                p.problem = problem;
                m.restart();
                p.expect(m, "back again", "0 0 0 ");
            }
        }

        // A move off the tree: "Failure", the stone stays, taps are ignored
        // until Back takes it away.
        p.script += "rtap 3 3\n";
        m.restart();
        std::vector<std::pair<int32, int32>> free;
        for (int32 c = 1; c <= m.board->visibleCols; ++c)
            for (int32 r = 1; r <= m.board->visibleRows; ++r) {
                GameContext trial(*m.board);
                const bool tappable = pointCenterX(trial, c) < 240 && pointCenterY(trial, r) < 268;
                if (tappable && m.match(c, r) == 0 && playMove(trial, c, r, false)) free.push_back({c, r});
            }
        if (free.size() >= 2) {
            for (size_t i = 0; i < 3 && i < free.size(); ++i)
                tap(p, pointCenterX(*m.board, free[i].first), pointCenterY(*m.board, free[i].second));
            m.userMove(free[0].first, free[0].second);
            p.checkpoint(m, "off the tree, then taps ignored");
            p.script += "command 40010\n";
            resetBoard(*m.board, false);
            m.failed = false;
            p.checkpoint(m, "taken back");
        }
        runPlan(p, problem);
    }
}
