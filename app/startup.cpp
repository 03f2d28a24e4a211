#include "app/startup.h"

#include "game/context.h"
#include "host/trainer_host.h"
#include "shell/entry.h"

int runProgram(const StartUp& s)
{
    setLanguageOption(s.language);
    platformStart(s.width, s.height, s.frontEnd);
    if (s.prepareCollections && !s.prepareCollections()) return 2;
    createTheGame();
    startHost();
    return WinMain(nullptr, nullptr, const_cast<LPWSTR>(L""), SW_SHOW);
}
