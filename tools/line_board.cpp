#include "tools/line_board.h"

#include <cstddef>

LineBoard::LineBoard(int32_t width, int32_t height, const std::vector<int8_t>& stones)
    : w_(width), h_(height), cells_(stones)
{
    cells_.resize(static_cast<size_t>(w_ * h_), 0);
}

bool LineBoard::hasLiberty(int32_t start, std::vector<int32_t>* chain) const
{
    std::vector<int32_t> stack{start}, seen{start};
    bool liberty = false;
    const int8_t colour = cells_[start];
    while (!stack.empty()) {
        const int32_t p = stack.back();
        stack.pop_back();
        neighbours(p, [&](int32_t q) {
            if (cells_[q] == 0) liberty = true;
            if (cells_[q] != colour) return;
            for (int32_t s : seen)
                if (s == q) return;
            seen.push_back(q);
            stack.push_back(q);
        });
    }
    if (chain) *chain = seen;
    return liberty;
}

bool LineBoard::legal(int32_t x, int32_t y, int32_t colour) const
{
    if (x < 0) return true;
    LineBoard copy = *this;
    return copy.play(x, y, colour);
}

bool LineBoard::play(int32_t x, int32_t y, int32_t colour)
{
    if (x < 0) {
        koPoint_ = -1;
        return true;
    }
    if (x >= w_ || y < 0 || y >= h_) return false;
    const int32_t p = y * w_ + x;
    if (cells_[p] != 0 || p == koPoint_) return false;
    cells_[p] = static_cast<int8_t>(colour);
    std::vector<int32_t> captured, chain;
    neighbours(p, [&](int32_t q) {
        if (cells_[q] == -colour && !hasLiberty(q, &chain))
            for (int32_t s : chain) {
                cells_[s] = 0;
                captured.push_back(s);
            }
    });
    if (captured.empty() && !hasLiberty(p, nullptr)) {
        cells_[p] = 0;  // suicide
        return false;
    }
    // One stone taking one stone, left alone with one liberty: the other
    // side may not take back at once.
    koPoint_ = -1;
    if (captured.size() == 1 && hasLiberty(p, &chain) && chain.size() == 1) {
        int32_t liberties = 0;
        neighbours(p, [&](int32_t q) { liberties += cells_[q] == 0; });
        if (liberties == 1) koPoint_ = captured[0];
    }
    return true;
}
