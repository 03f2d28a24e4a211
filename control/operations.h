// The game operations the shell invokes, the right soft key's role and the
// handling of the notifications posted by the solving layer.
#pragma once

#include "game/context.h"

// What the right soft key does, and the index of its label:
// 0 gives a hint, 1 plays the next variation, 2 goes to the next problem.
extern int32 rightKeyMode;

// Shows the label of the right soft key for a new mode.  The default writes
// "softkey LABEL" through the platform's transcript; the shell replaces it by
// relabelling its menu bar button.
typedef void (*RightSoftKeyLabeller)(int32 mode);
extern RightSoftKeyLabeller rightSoftKeyLabeller;
// The default labeller: "softkey LABEL" in the transcript, nothing else.
void writeSoftKeyLabel(int32 mode);
// The English labels, indexed by mode, until the shell loads its strings.
extern const wchar_t* const kRightSoftKeyLabels[3];

// How navigate chooses the problem.
enum class Navigation { Next, Prev, Select, Play };

void loadProblem(GameContext& g);
// selected is the number entered for Navigation::Select; below 1 abandons it.
void navigate(GameContext& g, Navigation how, int32 selected = 0);
void playCommand(GameContext& g);
void handleKeyPress(GameContext& g, WPARAM key);
void toggleFreeMode(GameContext& g);
void toggleSound(GameContext& g);
void playPass(GameContext& g);
void pressRightSoftKey(GameContext& g);
// Messages 1026..1030: the new role of the right soft key.
void onNotification(GameContext& g, UINT message);
// Relabels the right soft key for mode m unless that is its mode already.
void setRightKeyMode(int32 mode);
