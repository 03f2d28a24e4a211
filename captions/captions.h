// The words around the device screen: as the game goes on, the host shows
// the current problem's title and goal when it starts, and the comment of
// each tree node once the move that reaches it has been played (the user's
// move or White's reply), until the board moves on.  Nodes not yet reached
// are never shown.
//
// Every front-end calls followCaptions() when the program is idle; it writes
// what changed as transcript lines, so that scripts and the page see it:
//     reply C3          White has answered on C3 (or "reply pass")
//     caption TEXT      the caption now reads TEXT ("\n" between lines,
//                       "\\" for a backslash); "caption" alone when empty
// Coordinates are those of a 19x19 board seen as the screen shows it: columns
// A to T without I from the left, rows 19 at the top to 1.
#pragma once

#include <string>

#include "captions/text_table.h"
#include "game/context.h"

// The texts of the problems played: the table built into the program until
// another is set (a collection opened at run time brings its own).
// Setting a table starts the caption afresh: the next followCaptions() writes
// the current problem's caption from the new table.
void setCaptionTexts(TextTable table);
TextTable builtinCaptionTexts();
const TextTable& captionTexts();

// Looks at the game and writes the transcript lines above for whatever
// changed since the last call; true when the caption changed.
bool followCaptions();
// The caption as it stands, UTF-8 with '\n' between its lines.
const std::string& currentCaption();

// The follower itself, for tests: the same as above on any game and table.
class CaptionFollower {
public:
    // Returns true when the caption changed; reply is set to White's answer
    // ("C3", "pass") when one has been played since the last call, else "".
    bool update(const GameContext& g, const TextTable& table, std::string& reply);
    const std::string& caption() const { return caption_; }

private:
    int32 problem_ = -1;
    int32 node_ = -1;
    int32 treeNode_ = -1;  // the last node seen on the tree, in this problem
    bool started_ = false;
    std::string caption_;
};

// "C3": the point at column col, row row (1-based from the top left) of a
// 19x19 board.
std::string boardCoordinate(int32 col, int32 row);
