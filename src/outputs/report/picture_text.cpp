#include "outputs/report/picture_text.h"

#include <algorithm>
#include <vector>

namespace zandrel::report {

namespace {

struct Glyph {
    char c;
    std::uint8_t rows[kGlyphHeight];
};

// Binary rows, leftmost pixel first: 0b10001 is a pixel at each side.
constexpr Glyph kGlyphs[] = {
    {'A', {0b01110, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'B', {0b11110, 0b10001, 0b10001, 0b11110, 0b10001, 0b10001, 0b11110}},
    {'C', {0b01110, 0b10001, 0b10000, 0b10000, 0b10000, 0b10001, 0b01110}},
    {'D', {0b11110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b11110}},
    {'E', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b11111}},
    {'F', {0b11111, 0b10000, 0b10000, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'G', {0b01110, 0b10001, 0b10000, 0b10111, 0b10001, 0b10001, 0b01111}},
    {'H', {0b10001, 0b10001, 0b10001, 0b11111, 0b10001, 0b10001, 0b10001}},
    {'I', {0b01110, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'J', {0b00111, 0b00010, 0b00010, 0b00010, 0b00010, 0b10010, 0b01100}},
    {'K', {0b10001, 0b10010, 0b10100, 0b11000, 0b10100, 0b10010, 0b10001}},
    {'L', {0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b10000, 0b11111}},
    {'M', {0b10001, 0b11011, 0b10101, 0b10101, 0b10001, 0b10001, 0b10001}},
    {'N', {0b10001, 0b10001, 0b11001, 0b10101, 0b10011, 0b10001, 0b10001}},
    {'O', {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'P', {0b11110, 0b10001, 0b10001, 0b11110, 0b10000, 0b10000, 0b10000}},
    {'Q', {0b01110, 0b10001, 0b10001, 0b10001, 0b10101, 0b10010, 0b01101}},
    {'R', {0b11110, 0b10001, 0b10001, 0b11110, 0b10100, 0b10010, 0b10001}},
    {'S', {0b01111, 0b10000, 0b10000, 0b01110, 0b00001, 0b00001, 0b11110}},
    {'T', {0b11111, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'U', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {'V', {0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01010, 0b00100}},
    {'W', {0b10001, 0b10001, 0b10001, 0b10101, 0b10101, 0b10101, 0b01010}},
    {'X', {0b10001, 0b10001, 0b01010, 0b00100, 0b01010, 0b10001, 0b10001}},
    {'Y', {0b10001, 0b10001, 0b01010, 0b00100, 0b00100, 0b00100, 0b00100}},
    {'Z', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b11111}},
    {'0', {0b01110, 0b10001, 0b10011, 0b10101, 0b11001, 0b10001, 0b01110}},
    {'1', {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {'2', {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {'3', {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {'4', {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {'5', {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {'6', {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {'7', {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {'8', {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {'9', {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
    {'=', {0b00000, 0b00000, 0b11111, 0b00000, 0b11111, 0b00000, 0b00000}},
    {'-', {0b00000, 0b00000, 0b00000, 0b11111, 0b00000, 0b00000, 0b00000}},
    {'.', {0b00000, 0b00000, 0b00000, 0b00000, 0b00000, 0b01100, 0b01100}},
    {'/', {0b00000, 0b00001, 0b00010, 0b00100, 0b01000, 0b10000, 0b00000}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

}  // namespace

const std::uint8_t* glyphRows(char c) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    for (const Glyph& glyph : kGlyphs)
        if (glyph.c == c) return glyph.rows;
    return nullptr;
}

std::int32_t textWidth(const std::string& text, std::int32_t scale) {
    if (text.empty()) return 0;
    return (static_cast<std::int32_t>(text.size()) * kGlyphAdvance - 1) * scale;
}

void drawText(RgbImage& image, std::int32_t x, std::int32_t y, const std::string& text, std::int32_t scale) {
    if (text.empty() || scale <= 0) return;
    // The text's pixels in a box one pixel larger on every side, for the halo.
    const std::int32_t boxWidth = textWidth(text, scale) + 2;
    const std::int32_t boxHeight = textHeight(scale) + 2;
    std::vector<std::uint8_t> ink(static_cast<std::size_t>(boxWidth) * static_cast<std::size_t>(boxHeight), 0);
    for (std::size_t n = 0; n < text.size(); ++n) {
        const std::uint8_t* rows = glyphRows(text[n]);
        if (rows == nullptr) continue;
        const std::int32_t left = 1 + static_cast<std::int32_t>(n) * kGlyphAdvance * scale;
        for (std::int32_t row = 0; row < kGlyphHeight; ++row)
            for (std::int32_t column = 0; column < kGlyphWidth; ++column) {
                if ((rows[row] >> (kGlyphWidth - 1 - column) & 1u) == 0) continue;
                for (std::int32_t dy = 0; dy < scale; ++dy)
                    for (std::int32_t dx = 0; dx < scale; ++dx)
                        ink[static_cast<std::size_t>(1 + row * scale + dy) * static_cast<std::size_t>(boxWidth) +
                            static_cast<std::size_t>(left + column * scale + dx)] = 1;
            }
    }
    const auto inked = [&](std::int32_t bx, std::int32_t by) {
        return bx >= 0 && by >= 0 && bx < boxWidth && by < boxHeight &&
               ink[static_cast<std::size_t>(by) * static_cast<std::size_t>(boxWidth) + static_cast<std::size_t>(bx)] != 0;
    };
    for (std::int32_t by = 0; by < boxHeight; ++by) {
        const std::int32_t py = y - 1 + by;
        if (py < 0 || py >= image.height) continue;
        for (std::int32_t bx = 0; bx < boxWidth; ++bx) {
            const std::int32_t px = x - 1 + bx;
            if (px < 0 || px >= image.width) continue;
            if (inked(bx, by)) {
                image.set(px, py, kLabelColour);
                continue;
            }
            bool touches = false;
            for (std::int32_t dy = -1; dy <= 1 && !touches; ++dy)
                for (std::int32_t dx = -1; dx <= 1 && !touches; ++dx) touches = inked(bx + dx, by + dy);
            if (touches) image.set(px, py, kLabelHalo);
        }
    }
}

}  // namespace zandrel::report
