#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zandrel::report {

using Rgb = std::array<std::uint8_t, 3>;

// An 8-bit RGB picture, rows from the top, columns from the left.
struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3

    RgbImage() = default;
    RgbImage(std::int32_t w, std::int32_t h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3u, 0) {}

    void set(std::int32_t x, std::int32_t y, const Rgb& colour) {
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3u;
        pixels[at] = colour[0];
        pixels[at + 1] = colour[1];
        pixels[at + 2] = colour[2];
    }
    Rgb get(std::int32_t x, std::int32_t y) const {
        const std::size_t at = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3u;
        return {pixels[at], pixels[at + 1], pixels[at + 2]};
    }
};

// Writes the picture as a PNG file through a temporary file in the same folder, which takes
// the place of `path` once complete (an earlier file there is removed just before). Throws
// std::runtime_error "Cannot Create file: " + path when the file cannot be created and
// "Cannot write file: " + path when encoding fails; no temporary file is left behind.
void writePng(const std::string& path, const RgbImage& image);

}  // namespace zandrel::report
