// Writes a 0x00RRGGBB pixel buffer as an 8-bit RGB PNG file.
#pragma once

#include <cstdint>
#include <string>

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height);
