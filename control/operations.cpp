#include "control/operations.h"

#include <string>

#include "game/catalogue.h"
#include "game/commands.h"
#include "game/format.h"
#include "game/notify.h"
#include "platform/frontend.h"
#include "problems/record.h"
#include "problems/tree.h"
#include "solving/hints.h"
#include "solving/solve.h"
#include "view/render.h"

int32 rightKeyMode = 0;

const wchar_t* const kRightSoftKeyLabels[3] = {L"Hint", L"Next variation", L"Next problem"};

namespace {

// A record is copied here and unpacked in place; the catalogue stays intact.
constexpr int32 kScratchSize = 8192;
char problemScratch[kScratchSize];

}  // namespace

RightSoftKeyLabeller rightSoftKeyLabeller = writeSoftKeyLabel;

void writeSoftKeyLabel(int32 mode)
{
    if (mode < 0 || mode > 2) return;
    transcriptLine("softkey " + toUtf8(kRightSoftKeyLabels[mode]));
}

void loadProblem(GameContext& g)
{
    if (g.currentProblem < 1 || g.currentProblem > g.problemCount) return;
    const char* record = catalogueRecord(g.currentProblem);
    if (record == nullptr) return;
    // Records longer than the buffer are cut, never copied past its end.
    int32 length = 0;
    while (length < kScratchSize - 1 && record[length] != '\0') {
        problemScratch[length] = record[length];
        ++length;
    }
    problemScratch[length] = '\0';
    const int32 byteCount = unpackRecord(problemScratch);
    decodeRecord(g, reinterpret_cast<const uint8_t*>(problemScratch), byteCount);
    startProblem(g);
}

void navigate(GameContext& g, Navigation how, int32 selected)
{
    int32 target = g.currentProblem;
    switch (how) {
    case Navigation::Next:
        target = g.currentProblem + 1;
        break;
    case Navigation::Prev:
        if (g.currentProblem > 1) target = g.currentProblem - 1;
        break;
    case Navigation::Select:
        if (selected < 1) return;
        target = selected;
        break;
    case Navigation::Play:
        break;
    }
    if (target > g.problemCount) target = 1;
    g.currentProblem = target;
    loadProblem(g);
}

void playCommand(GameContext& g)
{
    if (g.problemLoaded)
        startProblem(g);
    else
        navigate(g, Navigation::Play);
}

void handleKeyPress(GameContext& g, WPARAM key)
{
    (void)key;  // any key does the same
    clearStatusStrip(g);
    if (g.solvedFlag) {
        int32 target = g.currentProblem + 1;
        if (target > g.problemCount) target = 1;
        g.currentProblem = target;
        loadProblem(g);
    } else if (g.variationPending) {
        playNextVariation(g);
        g.variationPending = 0;
    }
}

void toggleFreeMode(GameContext& g)
{
    g.freeMode ^= 1;
    // Leaving free mode discards what was placed in it.
    if (g.freeMode == 0) startProblem(g);
    InvalidateRect(g.mainWindow, nullptr, FALSE);
}

void toggleSound(GameContext& g) { g.soundOn = !g.soundOn; }

void playPass(GameContext& g)
{
    // Not gated like a tap: a pass is taken in any state and for either side.
    playUserMove(g, kPassLine, kPassLine);
}

void pressRightSoftKey(GameContext& g)
{
    switch (rightKeyMode) {
    case 0:
        showHint(g);
        break;
    case 1:
        // The board reset of the replay clears variationPending.
        playNextVariation(g);
        break;
    case 2:
        PostMessageW(g.mainWindow, WM_COMMAND, kCmdNextProblem, 0);
        break;
    default:
        break;
    }
}

void setRightKeyMode(int32 mode)
{
    if (mode == rightKeyMode) return;
    if (rightSoftKeyLabeller != nullptr) rightSoftKeyLabeller(mode);
    rightKeyMode = mode;
}

void onNotification(GameContext& g, UINT message)
{
    (void)g;
    switch (message) {
    case kNotifyMovePlayed:
    case kNotifyProblemStarted:
        setRightKeyMode(0);
        break;
    case kNotifyVariation:
        setRightKeyMode(1);
        break;
    case kNotifySolved:
        setRightKeyMode(2);
        break;
    default:  // failed: the key keeps its role
        break;
    }
}
