// A plain Go board for replaying a line of a problem tree by the trainer's
// rules (captures, no suicide, simple ko), so that the tree completer adds
// only moves the trainer accepts.
#pragma once

#include <cstdint>
#include <vector>

class LineBoard {
public:
    // stones: width*height, +1 Black, -1 White, 0 empty.
    LineBoard(int32_t width, int32_t height, const std::vector<int8_t>& stones);

    // Whether colour may play at (x, y) now (0-based); x < 0 is a pass,
    // always legal.
    bool legal(int32_t x, int32_t y, int32_t colour) const;

    // Plays a legal move or a pass; false (and nothing changes) otherwise.
    bool play(int32_t x, int32_t y, int32_t colour);

private:
    int32_t w_, h_;
    std::vector<int8_t> cells_;
    int32_t koPoint_ = -1;  // the point the player to move may not retake

    // The chain at p and whether it has a liberty; fills chain when given.
    bool hasLiberty(int32_t p, std::vector<int32_t>* chain) const;
    template <typename F>
    void neighbours(int32_t p, F f) const
    {
        const int32_t x = p % w_, y = p / w_;
        if (x > 0) f(p - 1);
        if (x + 1 < w_) f(p + 1);
        if (y > 0) f(p - w_);
        if (y + 1 < h_) f(p + w_);
    }
};
