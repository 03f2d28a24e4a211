// The program's string table (resources/strings.cpp).
#pragma once

#include "platform/resource_table.h"

extern const StringResource kProgramStrings[];
extern const int kProgramStringCount;
