// Small helpers for writing JSON lines.
#pragma once

#include <string>
#include <string_view>

// The text as a JSON string, quotes included.  Bytes that are not valid
// UTF-8 (file names in other encodings) are written as \u00XX of the byte.
std::string jsonString(std::string_view text);
