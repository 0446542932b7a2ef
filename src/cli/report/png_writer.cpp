// PNG output through libpng. libpng reports errors by longjmp, so the encoding runs in a
// function that holds no object with a destructor between setjmp and the jump.
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "cli/report/rgb_image.h"

namespace zandrel::report {

namespace {

// Encodes the picture into an open file; false on any libpng error.
bool encode(std::FILE* file, const RgbImage& image, png_bytep* rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Pictures are small, mostly flat background with runs of grey: the fastest level and
    // the one-neighbour filter keep them small at a fraction of the default's cost (measured:
    // a quarter cheaper than run-length matching with a small hash table, for a few per cent
    // more bytes).
    png_set_compression_level(png, 1);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void writePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) throw std::runtime_error("Cannot write file: " + path);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(image.pixels.data() + y * static_cast<std::size_t>(image.width) * 3u);

    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) throw std::runtime_error("Cannot Create file: " + path);
    const bool encoded = encode(file, image, rows.data());
    const bool closed = std::fclose(file) == 0;
    std::error_code error;
    if (encoded && closed) std::filesystem::rename(temporary, path, error);
    if (!encoded || !closed || error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error("Cannot write file: " + path);
    }
}

}  // namespace zandrel::report
