#include "cli/chain_format.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>

namespace zandrel::cli {

namespace {

struct NamedMatrix {
    const char* name;
    const char* description;
    const Matrix4 ChainFactors::*matrix;
};

// Printing order: the product first, then its factors from left to right.
const NamedMatrix kMatrices[] = {
    {"M", "= F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A", &ChainFactors::gridToFunctional},
    {"F", "slice-direction flip", &ChainFactors::sliceFlip},
    {"S_fmr", "millimetres to functional voxels", &ChainFactors::millimetresToFunctional},
    {"IA^-1", "inverse initial alignment", &ChainFactors::anatomicalToFunctional},
    {"X", "extra anatomical transformation", &ChainFactors::extraAnatomical},
    {"S_vmr", "anatomical voxels to millimetres", &ChainFactors::voxelsToMillimetres},
    {"FA^-1", "inverse fine alignment", &ChainFactors::anatomicalToAligned},
    {"A", "ACPC transformation", &ChainFactors::acpcToAnatomical},
};

}  // namespace

std::string shortestFloat(float value) {
    if (std::isnan(value)) return "nan";
    char buffer[32];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::string formatChainText(const ChainFactors& factors) {
    std::string text;
    for (const NamedMatrix& named : kMatrices) {
        const Matrix4& matrix = factors.*named.matrix;
        if (!text.empty()) text += '\n';
        text += named.name;
        text += named.name[0] == 'M' ? " " : " (";
        text += named.description;
        text += named.name[0] == 'M' ? "\n" : ")\n";

        std::string cells[16];
        std::size_t width = 0;
        for (int i = 0; i < 16; ++i) {
            cells[i] = shortestFloat(matrix.m[i]);
            if (cells[i].size() > width) width = cells[i].size();
        }
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                const std::string& cell = cells[4 * r + c];
                text += "  ";
                text.append(width - cell.size(), ' ');
                text += cell;
            }
            text += '\n';
        }
    }
    return text;
}

std::string formatChainJson(const ChainFactors& factors) {
    std::string json = "{";
    bool first = true;
    for (const NamedMatrix& named : kMatrices) {
        const Matrix4& matrix = factors.*named.matrix;
        json += first ? "\n  \"" : ",\n  \"";
        first = false;
        json += named.name;
        json += "\": [";
        for (int r = 0; r < 4; ++r) {
            json += r == 0 ? "[" : ", [";
            for (int c = 0; c < 4; ++c) {
                const float value = matrix.at(r, c);
                if (c > 0) json += ", ";
                json += std::isfinite(value) ? shortestFloat(value) : std::string("null");
            }
            json += "]";
        }
        json += "]";
    }
    json += ",\n  \"faInverted\": ";
    json += factors.faInverted ? "true" : "false";
    json += ",\n  \"finite\": ";
    json += factors.gridToFunctional.isFinite() ? "true" : "false";
    json += "\n}\n";
    return json;
}

}  // namespace zandrel::cli
