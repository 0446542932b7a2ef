// The generated geometry must give every ROI a VOI of hundreds to thousands of grid points:
// the chain is recomputed here in double from the written text and the anatomical grid is
// scanned the way the converter scans it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "generated_files.h"
#include "generator/study_generator.h"
#include "temp_dir.h"

namespace zandrel::test {
namespace {

using namespace generated;
namespace gen = zandrel::studygen;

#if defined(__SANITIZE_ADDRESS__) || defined(ZANDREL_SANITIZE)
constexpr int kStride = 2;  // every 8th grid point; counts are scaled back
#else
constexpr int kStride = 1;
#endif

struct Landmarks {
    double pcX, apX, ppX, spY, ipY, rpZ, lpZ;
};

double talToAcpc(double v, double low, double lowConst, double highConst, double high) {
    return v < 128.0 ? (low - 128.0) / lowConst * (v - 128.0) + 128.0 : (high - 128.0) / highConst * (v - 128.0) + 128.0;
}

// Points of the anatomical grid per ROI plot, and the voxel volume of the functional grid.
struct VoiCounts {
    std::vector<double> points;
    std::vector<std::size_t> voxels;
    double voxelVolume = 0.0;
};

VoiCounts countVoiPoints(const gen::SubjectFiles& files) {
    const std::string fmr = readFile(files.fmr), ia = readFile(files.ia);
    const double thickness = numberAfter(fmr, "SliceThickness:"), gap = numberAfter(fmr, "SliceGap:");
    const double inX = numberAfter(fmr, "InplaneResolutionX:"), inY = numberAfter(fmr, "InplaneResolutionY:");
    const int size[3] = {static_cast<int>(numberAfter(fmr, "ResolutionX:")),
                         static_cast<int>(numberAfter(fmr, "ResolutionY:")),
                         static_cast<int>(numberAfter(fmr, "NrOfSlices:"))};
    double d[3];
    const char* axes[3] = {"X", "Y", "Z"};
    for (int i = 0; i < 3; ++i)
        d[i] = numberAfter(fmr, std::string("Slice1Center") + axes[i] + ":") -
               numberAfter(fmr, std::string("SliceNCenter") + axes[i] + ":");
    Matrix flip = diagonal(1, 1, 1);
    if (std::fabs(d[2]) > std::fabs(d[0]) || std::fabs(d[1]) > std::fabs(d[0])) {
        if (d[2] < 0) flip[10] = -1;
    } else if (d[0] > 0) {
        flip[0] = -1;
    }
    Matrix extra = diagonal(1, 1, 1);
    if (valueAfter(ia, "ExtraVMRTransf:") == "1") {
        const Matrix e = matrixAfter(ia, "ExtraVMRTransf:", 1);
        if (!(e[0] == 1.0 && e[5] == 1.0 && e[10] == 1.0)) extra = multiply(flip, e);
    }
    const double r = numberAfter(ia, "ToVMRVoxelRes:");
    Matrix m = multiply(flip, diagonal(1 / inX, 1 / inY, 1 / (thickness + gap)));
    m = multiply(m, rigidInverse(matrixAfter(ia, "Matrix")));
    m = multiply(m, extra);
    m = multiply(m, diagonal(r, r, r));
    m = multiply(m, rigidInverse(matrixAfter(readFile(files.fa), "Matrix")));
    m = multiply(m, matrixAfter(readFile(files.acpc), "Matrix"));

    const bool tal = !files.tal.empty();
    Landmarks lm{};
    if (tal) {
        const auto w = words(readFile(files.tal));
        auto at = [&w](const std::string& key, int axis) {
            for (std::size_t i = 0; i + 3 < w.size(); ++i)
                if (w[i] == key) return std::stod(w[i + 1 + static_cast<std::size_t>(axis)]);
            throw std::runtime_error("no landmark " + key);
        };
        lm = {at("PC:", 0), at("AP:", 0), at("PP:", 0), at("SP:", 1), at("IP:", 1), at("RP:", 2), at("LP:", 2)};
    }

    const auto plots = roiPlots(readFile(files.roi));
    std::vector<std::uint32_t> mask(static_cast<std::size_t>(size[0]) * size[1] * size[2], 0);
    VoiCounts counts;
    counts.points.assign(plots.size(), 0.0);
    counts.voxelVolume = inX * inY * (thickness + gap) / (r * r * r);
    for (std::size_t p = 0; p < plots.size(); ++p) {
        counts.voxels.push_back(plots[p].voxels.size());
        for (const auto& v : plots[p].voxels)
            mask[(static_cast<std::size_t>(v[2]) * size[1] + v[1]) * size[0] + v[0]] |= 1u << p;
    }
    // The landmark mapping works axis by axis, so each axis is mapped once per index.
    double axis[3][256];
    for (int n = 0; n < 256; ++n) {
        double g[3] = {double(n), double(n), double(n)};
        if (tal) {
            g[0] = g[0] < 151.0 ? talToAcpc(g[0], lm.apX, -70.0, 23.0, lm.pcX)
                                : (lm.ppX - lm.pcX) / 79.0 * (g[0] - 151.0) + lm.pcX;
            g[1] = talToAcpc(g[1], lm.spY, -74.0, 42.0, lm.ipY);
            g[2] = talToAcpc(g[2], lm.rpZ, -68.0, 68.0, lm.lpZ);
        }
        for (int a = 0; a < 3; ++a) axis[a][n] = g[a] - 127.5;
    }
    for (int k = 0; k < 256; k += kStride)
        for (int j = 0; j < 256; j += kStride) {
            double base[3];
            for (int a = 0; a < 3; ++a)
                base[a] = m[4 * a + 1] * axis[1][j] + m[4 * a + 2] * axis[2][k] + m[4 * a + 3] + (size[a] - 1) * 0.5;
            for (int i = 0; i < 256; i += kStride) {
                int cell[3];
                bool inside = true;
                for (int a = 0; a < 3 && inside; ++a) {
                    cell[a] = static_cast<int>(std::floor(m[4 * a] * axis[0][i] + base[a] + 0.5));
                    inside = cell[a] >= 0 && cell[a] < size[a];
                }
                if (!inside) continue;
                const std::uint32_t bits = mask[(static_cast<std::size_t>(cell[2]) * size[1] + cell[1]) * size[0] + cell[0]];
                for (std::size_t p = 0; bits != 0 && p < plots.size(); ++p)
                    if (bits & (1u << p)) counts.points[p] += double(kStride) * kStride * kStride;
            }
        }
    return counts;
}

// Every ROI voxel maps entirely into the grid, so a VOI holds about voxel volume x voxels
// points (within the Talairach stretch of a few percent and the rim effects of small blobs).
void expectFullVois(const gen::StudyPlan& plan) {
    TempDir dir;
    const gen::GeneratedStudy study = gen::writeStudy(dir.path().string(), plan);
    for (std::size_t s = 0; s < study.subjects.size(); ++s) {
        const VoiCounts counts = countVoiPoints(study.subjects[s]);
        ASSERT_EQ(counts.points.size(), static_cast<std::size_t>(plan.subjects[s].plots));
        for (std::size_t p = 0; p < counts.points.size(); ++p) {
            const double ratio = counts.points[p] / (counts.voxels[p] * counts.voxelVolume);
            EXPECT_GE(counts.points[p], 200.0) << plan.subjects[s].name << " plot " << p;
            EXPECT_NEAR(ratio, 1.0, 0.2) << plan.subjects[s].name << " plot " << p << ": " << counts.points[p]
                                          << " points for " << counts.voxels[p] << " voxels";
        }
    }
}

TEST(VoiGeometry, ExampleStudyGivesFullVois) { expectFullVois(gen::exampleStudyPlan()); }

TEST(VoiGeometry, TestStudyGivesFullVois) { expectFullVois(gen::testStudyPlan(4, 77)); }

}  // namespace
}  // namespace zandrel::test
