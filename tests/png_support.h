// Reading the runner's screenshots back in tests.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

// A PNG file as 0x00RRGGBB pixels, row after row; empty when it cannot be
// read.  `width`, when given, receives the image's width.
inline std::vector<uint32_t> readPng(const std::string& path, int* width = nullptr)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
    image.format = PNG_FORMAT_BGRA;
    std::vector<uint32_t> pixels(size_t(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    if (width) *width = int(image.width);
    return pixels;
}
