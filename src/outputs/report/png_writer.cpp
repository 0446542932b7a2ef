// PNG output through libpng. libpng reports errors by longjmp, so the encoding runs in a
// function that holds no object with a destructor between setjmp and the jump.
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "io/output_file.h"
#include "outputs/report/rgb_image.h"

namespace zandrel::report {

namespace {

// The picture as rows of 8-bit indices into its own colours, when it has at most 256 of
// them (a grey image with an outline colour nearly always has): a third of the bytes of
// RGB rows to compress, and every colour exact.
struct IndexedImage {
    std::vector<png_color> palette;
    std::vector<std::uint8_t> indices;
};

bool indexColours(const RgbImage& image, IndexedImage& indexed) {
    // Colours in order of first appearance, found through a small open-addressing table:
    // a few operations a pixel, where sorting the pixels' colours cost more than it saved.
    constexpr std::size_t kSlots = 1024;  // at most 256 colours: the table stays a quarter full
    constexpr std::uint32_t kEmpty = 0xffffffffu;
    std::vector<std::uint32_t> slotColour(kSlots, kEmpty);
    std::vector<std::uint8_t> slotIndex(kSlots, 0);
    const std::size_t count = image.pixels.size() / 3u;
    indexed.indices.resize(count);
    std::uint32_t lastColour = kEmpty;
    std::uint8_t lastIndex = 0;
    const auto width = static_cast<std::size_t>(image.width);
    for (std::size_t n = 0; n < count; ++n) {
        // Pictures are drawn in blocks of equal rows: a row like the one above has its indices.
        if (n % width == 0 && n >= width &&
            std::memcmp(image.pixels.data() + 3u * n, image.pixels.data() + 3u * (n - width), 3u * width) == 0) {
            std::memcpy(indexed.indices.data() + n, indexed.indices.data() + n - width, width);
            n += width - 1;
            continue;
        }
        const std::uint8_t* rgb = image.pixels.data() + 3u * n;
        const std::uint32_t colour = (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
        // Pictures are drawn in blocks of equal pixels: most pixels repeat the one before.
        if (colour == lastColour) {
            indexed.indices[n] = lastIndex;
            continue;
        }
        std::size_t slot = static_cast<std::size_t>((colour * 2654435761u) >> 22);
        while (slotColour[slot] != colour && slotColour[slot] != kEmpty) slot = (slot + 1) % kSlots;
        if (slotColour[slot] == kEmpty) {
            if (indexed.palette.size() == 256u) return false;
            slotColour[slot] = colour;
            slotIndex[slot] = static_cast<std::uint8_t>(indexed.palette.size());
            indexed.palette.push_back({rgb[0], rgb[1], rgb[2]});
        }
        indexed.indices[n] = slotIndex[slot];
        lastColour = colour;
        lastIndex = slotIndex[slot];
    }
    return true;
}

// Encodes the picture into an open file, with `palette` when it is not null (rows of
// indices) and as RGB rows otherwise; false on any libpng error.
bool encode(std::FILE* file, const RgbImage& image, png_bytep* rows, const std::vector<png_color>* palette) {
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
    // Figures are mostly flat background and frame with runs of grey, each row drawn as
    // several equal rows: run-length matching at the fastest level keeps them smaller than
    // the default strategy does, at less cost (no hash chains to keep), once each row is
    // written as its difference from the row above (a repeated row is all zeros).
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 palette != nullptr ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette != nullptr) png_set_PLTE(png, info, palette->data(), static_cast<int>(palette->size()));
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void writePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) throw std::runtime_error("Cannot write file: " + path);
    // The indices' memory is kept per thread, reused from picture to picture.
    thread_local IndexedImage indexed;
    indexed.palette.clear();
    const bool withPalette = indexColours(image, indexed);
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    const auto width = static_cast<std::size_t>(image.width);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = withPalette ? indexed.indices.data() + y * width
                              : const_cast<png_bytep>(image.pixels.data() + y * width * 3u);
    }

    OutputFile output(path, "png", ".tmp", true);
    if (!encode(output.stream(), image, rows.data(), withPalette ? &indexed.palette : nullptr)) {
        throw std::runtime_error("Cannot write file: " + path);
    }
    output.commit();
}

}  // namespace zandrel::report
