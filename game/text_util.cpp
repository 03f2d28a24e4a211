#include "game/text_util.h"

int32_t charIndex(const char* s, char c)
{
    for (int32_t i = 0; s[i] != '\0'; ++i)
        if (s[i] == c) return i;
    return -1;
}
