#include "game/sound.h"

void playSound(const GameContext& g, int soundId)
{
    if (!g.soundOn) return;
    if (!PlaySoundW(MAKEINTRESOURCEW(soundId), GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC)) MessageBeep(0);
}
