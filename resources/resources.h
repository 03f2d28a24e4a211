// The program's resources: string table, menu bars, dialog templates,
// accelerators, icon and sounds, for registerResources().
#pragma once

#include "platform/resource_table.h"

const ResourceTable& programResources();
