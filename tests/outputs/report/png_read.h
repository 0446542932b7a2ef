#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zandrel::test {

// A PNG file read back through libpng as 8-bit RGB; `valid` false when libpng refuses it.
struct PngPicture {
    bool valid = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgb;

    std::uint32_t at(std::int32_t x, std::int32_t y) const {
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3u;
        return static_cast<std::uint32_t>(rgb[i]) << 16 | static_cast<std::uint32_t>(rgb[i + 1]) << 8 | rgb[i + 2];
    }
};

PngPicture readPng(const std::string& path);

}  // namespace zandrel::test
