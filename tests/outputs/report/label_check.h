#pragma once

// Whether a label of a figure is where the report draws it: its glyph pixels white, every
// pixel that touches one black (the halo), read from the PNG file itself.
#include <cstdint>
#include <string>

#include "outputs/report/picture_text.h"
#include "png_read.h"

namespace zandrel::test {

// Why `text`, drawn at kLabelScale with its top-left glyph pixel at (x, y), is not on the
// picture; empty when it is.
inline std::string labelFault(const PngPicture& picture, std::int32_t x, std::int32_t y, const std::string& text) {
    using namespace zandrel::report;
    const std::int32_t w = textWidth(text, kLabelScale);
    const std::int32_t h = textHeight(kLabelScale);
    const auto glyph = [&](std::int32_t px, std::int32_t py) {
        if (px < 0 || py < 0 || px >= w || py >= h) return false;
        const std::int32_t n = px / (kGlyphAdvance * kLabelScale);
        const std::int32_t column = px % (kGlyphAdvance * kLabelScale) / kLabelScale;
        if (column >= kGlyphWidth) return false;
        const std::uint8_t* rows = glyphRows(text[static_cast<std::size_t>(n)]);
        return rows != nullptr && (rows[py / kLabelScale] >> (kGlyphWidth - 1 - column) & 1u) != 0;
    };
    if (x < 1 || y < 1 || x + w >= picture.width || y + h >= picture.height) return "label " + text + " off the picture";
    int inked = 0;
    for (std::int32_t py = -1; py <= h; ++py)
        for (std::int32_t px = -1; px <= w; ++px) {
            const std::uint32_t pixel = picture.at(x + px, y + py);
            bool near = false;
            for (std::int32_t dy = -1; dy <= 1; ++dy)
                for (std::int32_t dx = -1; dx <= 1; ++dx) near = near || glyph(px + dx, py + dy);
            const std::string where = " of label " + text + " at " + std::to_string(px) + "," + std::to_string(py);
            if (glyph(px, py)) {
                ++inked;
                if (pixel != 0xFFFFFFu) return "glyph pixel not white" + where;
            } else if (near && pixel != 0u) {
                return "halo pixel not black" + where;
            }
        }
    if (inked < 12) return "label " + text + " has too few glyph pixels";
    return "";
}

}  // namespace zandrel::test
