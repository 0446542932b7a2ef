#include "outputs/inspect/chain_json.h"

#include <cstddef>
#include <sstream>
#include <string>

#include "io/json_writer.h"
#include "io/shortest_float.h"

namespace zandrel {

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
    std::ostringstream text;
    JsonWriter json(text);
    json.beginObject();
    for (const NamedMatrix& named : kMatrices) {
        const Matrix4& matrix = factors.*named.matrix;
        json.key(named.name).beginArray(true);
        for (int r = 0; r < 4; ++r) {
            json.beginArray();
            for (int c = 0; c < 4; ++c) json.number(matrix.at(r, c));
            json.endArray();
        }
        json.endArray();
    }
    json.key("faInverted").boolean(factors.faInverted);
    json.key("finite").boolean(factors.gridToFunctional.isFinite());
    json.endObject();
    return text.str();
}

}  // namespace zandrel
