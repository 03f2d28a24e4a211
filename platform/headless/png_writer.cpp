#include "platform/headless/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

bool writePng(const std::string& path, const uint32_t* pixels, int width, int height)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return false;
    }
    std::vector<png_byte> row(size_t(width) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const uint32_t* src = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3] = png_byte(src[x] >> 16);
            row[size_t(x) * 3 + 1] = png_byte(src[x] >> 8);
            row[size_t(x) * 3 + 2] = png_byte(src[x]);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}
