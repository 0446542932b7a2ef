#pragma once

// Short labels drawn onto the pictures themselves (panel titles, orientation letters), so
// a picture saved or shown on its own still says what it is. A small built-in font of 5 x 7
// pixel capitals, digits and a few signs is all the labels need; no font library.

#include <cstdint>
#include <string>

#include "outputs/report/rgb_image.h"

namespace zandrel::report {

constexpr std::int32_t kGlyphWidth = 5;
constexpr std::int32_t kGlyphHeight = 7;
constexpr std::int32_t kGlyphAdvance = kGlyphWidth + 1;  // one column between characters

// Labels of a panel are drawn at kLabelScale pixels a glyph pixel, kLabelMargin pixels in
// from the panel's edges.
constexpr std::int32_t kLabelScale = 2;
constexpr std::int32_t kLabelMargin = 4;

// Labels are white with a one-pixel black halo: legible on dark and on bright grey alike.
// Both are colours a figure holds anyway (the frame's white, the grey scale's black), so a
// label adds none to the figure's palette.
constexpr Rgb kLabelColour = {255, 255, 255};
constexpr Rgb kLabelHalo = {0, 0, 0};

// The seven rows of a character's glyph, the leftmost pixel in bit 4 of each; null for a
// character the font has no glyph for (lower-case letters are drawn as capitals).
const std::uint8_t* glyphRows(char c);

// Pixels from the first glyph pixel's column to the last one's, at `scale` pixels a glyph
// pixel (without the halo).
std::int32_t textWidth(const std::string& text, std::int32_t scale);
inline std::int32_t textHeight(std::int32_t scale) { return kGlyphHeight * scale; }

// Draws `text` with its top-left glyph pixel at (x, y), each glyph pixel `scale` x `scale`
// pixels of kLabelColour, and every pixel that touches one (8-neighbours) and is not itself
// one in kLabelHalo. Whatever falls outside the picture is left out; a character without a
// glyph leaves its place empty.
void drawText(RgbImage& image, std::int32_t x, std::int32_t y, const std::string& text, std::int32_t scale);

}  // namespace zandrel::report
