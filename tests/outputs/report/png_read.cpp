#include "png_read.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

namespace zandrel::test {

namespace {

// libpng jumps out on errors: no object with a destructor lives in this frame.
bool decode(std::FILE* file, PngPicture* picture) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    const int type = png_get_color_type(png, info);
    if ((type != PNG_COLOR_TYPE_RGB && type != PNG_COLOR_TYPE_PALETTE) || png_get_bit_depth(png, info) != 8) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    // Pictures with at most 256 colours come as palette images: read them as RGB.
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    png_read_update_info(png, info);
    picture->width = static_cast<std::int32_t>(png_get_image_width(png, info));
    picture->height = static_cast<std::int32_t>(png_get_image_height(png, info));
    picture->rgb.resize(static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height) * 3u);
    for (std::int32_t y = 0; y < picture->height; ++y)
        png_read_row(png, picture->rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture->width) * 3u, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

PngPicture readPng(const std::string& path) {
    PngPicture picture;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return picture;
    picture.valid = decode(file, &picture);
    std::fclose(file);
    return picture;
}

}  // namespace zandrel::test
