// The three sounds of the game, subject to the sound switch.
#pragma once

#include "game/context.h"

constexpr int kSoundMove = 1999;
constexpr int kSoundVariation = 2030;
constexpr int kSoundSolved = 2095;

void playSound(const GameContext& g, int soundId);
