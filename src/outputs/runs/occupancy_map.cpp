#include "outputs/runs/occupancy_map.h"

#include <cmath>
#include <sstream>
#include <stdexcept>

#include "io/json_writer.h"

namespace zandrel {

namespace {

double element(const Matrix4& m, int row, int column) {
    return static_cast<double>(m.at(row, column));
}

// Multiplies row-major 4 x 4 matrices: a * b.
WorldMatrix product(const WorldMatrix& a, const WorldMatrix& b) {
    WorldMatrix result{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[static_cast<std::size_t>(4 * r + k)] * b[static_cast<std::size_t>(4 * k + c)];
            result[static_cast<std::size_t>(4 * r + c)] = sum;
        }
    return result;
}

std::string baseName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* spaceText(GridSpace space) {
    switch (space) {
        case GridSpace::native: return "GF";
        case GridSpace::acpc: return "ACPC";
        case GridSpace::talairach: break;
    }
    return "TAL";
}

}  // namespace

std::optional<WorldMatrix> functionalToWorld(const SetChain& chain, const std::array<std::int32_t, 3>& dims) {
    const Matrix4& m = chain.gridToFunctional();
    double a[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = element(m, r, c);
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (!std::isfinite(det) || det == 0.0) return std::nullopt;
    double inv[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            // Cofactor of element (c, r), over the determinant.
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            inv[r][c] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
        }
    // Functional voxel -> centred functional position -> centred grid -> grid index.
    WorldMatrix functionalToGrid{};
    for (int r = 0; r < 3; ++r) {
        double shift = 127.5;
        for (int c = 0; c < 3; ++c) {
            const double centre = (static_cast<double>(dims[static_cast<std::size_t>(c)]) - 1.0) * 0.5;
            functionalToGrid[static_cast<std::size_t>(4 * r + c)] = inv[r][c];
            shift -= inv[r][c] * (element(m, c, 3) + centre);
        }
        functionalToGrid[static_cast<std::size_t>(4 * r + 3)] = shift;
    }
    functionalToGrid[15] = 1.0;
    // Grid index (i, j, k) -> (128 - k, 128 - i, 128 - j) mm.
    const WorldMatrix gridToWorld{0, 0, -1, 128, -1, 0, 0, 128, 0, -1, 0, 128, 0, 0, 0, 1};
    return product(gridToWorld, functionalToGrid);
}

std::vector<float> occupancyVolumes(const Footprint& footprint, const std::string& target) {
    const std::uint64_t cells = static_cast<std::uint64_t>(footprint.dims[0]) *
                                static_cast<std::uint64_t>(footprint.dims[1]) *
                                static_cast<std::uint64_t>(footprint.dims[2]);
    const std::uint64_t values = cells * footprint.vois.size();
    if (values > kMaxOccupancyBytes / sizeof(float)) {
        throw std::runtime_error("The occupancy image " + target + " would need " + std::to_string(values * 4) +
                                 " bytes, more than " + std::to_string(kMaxOccupancyBytes));
    }
    std::vector<float> map(static_cast<std::size_t>(values), 0.0f);
    for (std::size_t v = 0; v < footprint.vois.size(); ++v) {
        const std::uint64_t base = v * cells;
        for (const FootprintCell& cell : footprint.vois[v].touched) {
            const std::uint64_t index =
                (static_cast<std::uint64_t>(cell.cell.z) * static_cast<std::uint64_t>(footprint.dims[1]) +
                 static_cast<std::uint64_t>(cell.cell.y)) *
                    static_cast<std::uint64_t>(footprint.dims[0]) +
                static_cast<std::uint64_t>(cell.cell.x);
            map[static_cast<std::size_t>(base + index)] = static_cast<float>(cell.occupancy());
        }
    }
    return map;
}

std::string occupancySidecarText(const ProjectedRun& run, const std::string& imageName, const WorldMatrix& toWorld) {
    std::ostringstream out;
    JsonWriter json(out);
    json.beginObject();
    json.key("image").string(baseName(imageName));
    json.key("values").string(
        "occupancy: the share of each functional voxel that the VOI fills, the VOI's anatomical grid points "
        "that land in the voxel over all grid points that land there");
    json.key("voi_file").string(run.set.voiPath);
    json.key("reference_space").string(run.voi.ReferenceSpace.value);
    json.key("volumes").beginArray();
    for (const VoiFootprint& voi : run.footprint.vois) json.string(voi.name);
    json.endArray();
    json.key("run_files").beginObject();
    json.key("fmr").string(run.set.fmrPath);
    json.key("ia_trf").string(run.set.iaTrfPath);
    json.key("fa_trf").string(run.set.faTrfPath);
    json.key("acpc_trf").string(run.set.acpcTrfPath);
    if (!run.set.talPath.empty()) json.key("tal").string(run.set.talPath);
    json.endObject();
    json.key("grid_size").beginArray(true);
    for (const std::int32_t dim : run.footprint.dims) json.integer(dim);
    json.integer(static_cast<std::int64_t>(run.footprint.vois.size()));
    json.endArray();
    const bool talairach = run.chain.space == GridSpace::talairach;
    json.key("space").string(talairach ? "ACPC" : spaceText(run.chain.space));
    json.key("xform_code").integer(2);
    if (talairach) {
        json.key("note").string(
            "The VOIs are in Talairach space, but the map lies in the run's ACPC world: the landmark mapping from "
            "Talairach to ACPC space is piecewise linear, not affine, so no affine matrix places the functional "
            "grid in Talairach space. Occupancies are exact: they were counted through the landmark mapping.");
    }
    json.key("functional_to_world").beginArray();
    for (int row = 0; row < 4; ++row) {
        json.beginArray(true);
        for (int c = 0; c < 4; ++c) json.number(toWorld[static_cast<std::size_t>(4 * row + c)]);
        json.endArray();
    }
    json.endArray();
    json.key("chain_matrix").beginObject(true);
    json.key("maps").string("centred anatomical grid to centred functional grid");
    json.key("row_major").beginArray(true);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) json.number(run.chain.gridToFunctional().at(r, c));
    json.endArray();
    json.endObject();
    json.endObject();
    out << "\n";
    return out.str();
}

}  // namespace zandrel
