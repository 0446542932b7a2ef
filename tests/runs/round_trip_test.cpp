// Footprints on generated studies. A ROI converted and placed back on its own run with a
// threshold of 1 gives its voxels back (minus voxels no grid point reaches), in both spaces,
// with landmarks and with either slice order. A VOI placed on another run of the subject
// (other grid, other alignment) gives what a walk over every anatomical grid point gives.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "runs/footprint.h"
#include "temp_dir.h"
#include "voi/voi_builder.h"
#include "voi/voi_reader.h"
#include "voi/voi_scan.h"
#include "voi_fixtures.h"
#include "voxel_lists.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

struct RunRecords {
    FmrHeader fmr;
    TrfRecord ia, fa, acpc;
    TalRecord tal;
    SetChain chain() const { return computeSetChain(fmr, ia, fa, acpc, tal); }
};

RunRecords readRun(const studygen::SubjectFiles& files) {
    return RunRecords{readFmrHeader(files.fmr, false), readTrfFile(files.ia), readTrfFile(files.fa),
                      readTrfFile(files.acpc), files.tal.empty() ? TalRecord{} : readTalFile(files.tal)};
}

// Three small subjects: landmarks with the first slice lowest (the slice axis mirrored),
// ACPC with the first slice highest, landmarks with an extra IA transformation.
const studygen::GeneratedStudy& study() {
    static const TempDir folder;
    static const studygen::GeneratedStudy generated = studygen::writeStudy(folder.file("study"), studygen::testStudyPlan(3, 77));
    return generated;
}

// The converted .voi file of a subject, as written and read back.
VoiFile convertedVoi(const studygen::SubjectFiles& files, const RunRecords& run, const TempDir& folder) {
    VoiFile built = buildVoiFile(readRoiFile(files.roi), run.fmr, run.chain());
    built.fileName = folder.file("converted.voi");
    built.save();
    return readVoiFile(built.fileName).file;
}

std::uint32_t numberOf(const VoxelTriple& c, const FmrHeader& fmr) {
    return static_cast<std::uint32_t>((c.z * fmr.ResolutionY.value + c.y) * fmr.ResolutionX.value + c.x);
}

// The plot's voxels in the functional grid, each once, ascending by slice, row, column.
std::vector<VoxelTriple> roiCells(const RoiPlot& plot, const FmrHeader& fmr) {
    std::vector<VoxelTriple> cells;
    for (const VoxelTriple& v : plot.voxels)
        if (v.x >= 0 && v.y >= 0 && v.z >= 0 && v.x < fmr.ResolutionX.value && v.y < fmr.ResolutionY.value &&
            v.z < fmr.NrOfSlices.value)
            cells.push_back(v);
    const auto before = [&](const VoxelTriple& a, const VoxelTriple& b) { return numberOf(a, fmr) < numberOf(b, fmr); };
    std::sort(cells.begin(), cells.end(), before);
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    return cells;
}

TEST(FootprintRoundTrip, ThresholdOneGivesTheRoiBack) {
    for (std::size_t s = 0; s < study().subjects.size(); ++s) {
        const studygen::SubjectFiles& files = study().subjects[s];
        SCOPED_TRACE("subject " + std::to_string(s + 1) + (files.tal.empty() ? " (ACPC)" : " (TAL)"));
        const TempDir folder;
        const RunRecords run = readRun(files);
        const RoiFile roi = readRoiFile(files.roi);
        const VoiFile voi = convertedVoi(files, run, folder);
        const Footprint footprint = computeFootprint(voi, run.chain(), run.fmr);
        ASSERT_EQ(footprint.vois.size(), roi.plots.size());

        for (std::size_t p = 0; p < roi.plots.size(); ++p) {
            const VoiFootprint& placed = footprint.vois[p];
            SCOPED_TRACE(placed.name);
            // Every point the conversion kept lands in the run, and fills its cell.
            EXPECT_EQ(placed.voiVoxels, voi.vois[p].NrOfVoxels.value);
            EXPECT_EQ(placed.inRun, placed.voiVoxels);
            for (const FootprintCell& cell : placed.touched) EXPECT_EQ(cell.voiPoints, cell.allPoints) << cell.cell;

            const std::vector<VoxelTriple> selected = selectedCells(placed, 1.0);
            EXPECT_EQ(selected.size(), placed.touched.size());
            ASSERT_FALSE(selected.empty());
            // The ROI's voxels that no grid point reaches are missing, and only those.
            const std::vector<VoxelTriple> drawn = roiCells(roi.plots[p], run.fmr);
            std::vector<VoxelTriple> reached;
            std::vector<VoxelTriple> unreached;
            for (const VoxelTriple& v : drawn) {
                const bool found = std::find(selected.begin(), selected.end(), v) != selected.end();
                (found ? reached : unreached).push_back(v);
            }
            EXPECT_PRED_FORMAT2(sameVoxels, selected, reached);
            if (!unreached.empty()) {
                RoiFile alone;
                RoiPlot plot;
                plot.voxels = unreached;
                alone.plots.push_back(plot);
                EXPECT_EQ(buildVoiFile(alone, run.fmr, run.chain()).vois[0].voxels.size(), 0u)
                    << unreached.size() << " voxels counted as unreached";
            }
        }
    }
}

// The subject's run in another session: another grid of other voxels, the head moved.
RunRecords anotherRun(const RunRecords& first) {
    RunRecords second = first;
    second.fmr.path = first.fmr.path + ".second";
    put(second.fmr.ResolutionX, 40);
    put(second.fmr.ResolutionY, 36);
    put(second.fmr.NrOfSlices, 15);
    put(second.fmr.InplaneResolutionX, 2.5f);
    put(second.fmr.InplaneResolutionY, 2.75f);
    put(second.fmr.SliceThickness, 2.5f);
    first.ia.matrix.multiply(rigid(3.0, -2.0, 4.5, 1.25f, -2.5f, 0.75f), second.ia.matrix);
    first.fa.matrix.multiply(rigid(-0.5, 0.75, 0.25, 0.3f, -0.2f, 0.4f), second.fa.matrix);
    return second;
}

// K and N of every cell by the straightforward walk: every anatomical grid point mapped by
// functionalPositionOf and nearestCellIndex.
std::vector<VoiFootprint> walkEveryPoint(const VoiFile& voi, const RunRecords& run) {
    const ScanSetup setup = scanSetupOf(run.chain(), run.fmr);
    const std::int32_t dims[3] = {run.fmr.ResolutionX.value, run.fmr.ResolutionY.value, run.fmr.NrOfSlices.value};
    const std::size_t cells = static_cast<std::size_t>(dims[0]) * dims[1] * dims[2];
    const std::size_t vois = voi.vois.size();
    // Bit v of a grid point: it belongs to VOI v. Talairach triples (x, y, z) are point (128 - y, 128 - z, 128 - x).
    std::vector<std::uint8_t> member(std::size_t{1} << 24, 0);
    for (std::size_t v = 0; v < vois; ++v) {
        for (const VoxelTriple& t : voi.vois[v].voxels) {
            const std::int32_t i = setup.talairachForm ? 128 - t.y : t.x;
            const std::int32_t j = setup.talairachForm ? 128 - t.z : t.y;
            const std::int32_t k = setup.talairachForm ? 128 - t.x : t.z;
            member[(static_cast<std::size_t>(k) * 256 + j) * 256 + i] |= static_cast<std::uint8_t>(1u << v);
        }
    }
    std::vector<std::uint32_t> all(cells, 0);
    std::vector<std::uint32_t> inVoi(cells * vois, 0);
    std::size_t g = 0;
    for (std::int32_t k = 0; k < 256; ++k) {
        for (std::int32_t j = 0; j < 256; ++j) {
            for (std::int32_t i = 0; i < 256; ++i, ++g) {
                float x, y, z;
                functionalPositionOf(setup, i, j, k, x, y, z);
                const std::int32_t c[3] = {nearestCellIndex(x, dims[0]), nearestCellIndex(y, dims[1]),
                                           nearestCellIndex(z, dims[2])};
                if (c[0] < 0 || c[1] < 0 || c[2] < 0) continue;
                const std::size_t cell = (static_cast<std::size_t>(c[2]) * dims[1] + c[1]) * dims[0] + c[0];
                ++all[cell];
                for (std::size_t v = 0; v < vois; ++v)
                    if ((member[g] >> v) & 1u) ++inVoi[v * cells + cell];
            }
        }
    }
    std::vector<VoiFootprint> expected(vois);
    for (std::size_t v = 0; v < vois; ++v) {
        for (std::size_t cell = 0; cell < cells; ++cell) {
            const std::uint32_t k = inVoi[v * cells + cell];
            if (k == 0) continue;
            const auto x = static_cast<std::int32_t>(cell % dims[0]);
            const auto y = static_cast<std::int32_t>(cell / dims[0] % dims[1]);
            const auto z = static_cast<std::int32_t>(cell / dims[0] / dims[1]);
            expected[v].touched.push_back(FootprintCell{{x, y, z}, k, all[cell]});
            expected[v].inRun += k;
        }
    }
    return expected;
}

std::string cellText(const FootprintCell& c) {
    std::ostringstream out;
    out << c.cell << " K " << c.voiPoints << " N " << c.allPoints;
    return out.str();
}

// Subject 1 carries landmarks, subject 2 does not: one walk each.
class FootprintOnAnotherRun : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FootprintOnAnotherRun, MatchesTheWalkOverEveryGridPoint) {
    const studygen::SubjectFiles& files = study().subjects[GetParam()];
    const TempDir folder;
    const RunRecords first = readRun(files);
    const VoiFile voi = convertedVoi(files, first, folder);
    ASSERT_LE(voi.vois.size(), 8u);
    const RunRecords second = anotherRun(first);
    ASSERT_TRUE(second.chain().verdict.usable) << second.chain().verdict.reason;

    const Footprint footprint = computeFootprint(voi, second.chain(), second.fmr);
    const std::vector<VoiFootprint> expected = walkEveryPoint(voi, second);
    ASSERT_EQ(footprint.vois.size(), expected.size());
    for (std::size_t v = 0; v < expected.size(); ++v) {
        const VoiFootprint& placed = footprint.vois[v];
        SCOPED_TRACE(placed.name);
        EXPECT_EQ(placed.inRun, expected[v].inRun);
        std::int64_t sum = 0;
        bool partial = false;
        for (const FootprintCell& cell : placed.touched) {
            sum += cell.voiPoints;
            partial = partial || cell.voiPoints < cell.allPoints;
        }
        EXPECT_EQ(sum, placed.inRun);
        EXPECT_TRUE(partial) << "another grid cuts some cells of the VOI";
        ASSERT_EQ(placed.touched.size(), expected[v].touched.size());
        for (std::size_t n = 0; n < placed.touched.size(); ++n)
            ASSERT_EQ(cellText(placed.touched[n]), cellText(expected[v].touched[n])) << "touched cell " << n;
        std::vector<VoxelTriple> half;
        for (const FootprintCell& cell : expected[v].touched)
            if (2 * cell.voiPoints >= cell.allPoints) half.push_back(cell.cell);
        EXPECT_PRED_FORMAT2(sameVoxels, selectedCells(placed, 0.5), half);
    }
}

INSTANTIATE_TEST_SUITE_P(Subjects, FootprintOnAnotherRun, ::testing::Values(std::size_t{0}, std::size_t{1}));

}  // namespace
}  // namespace zandrel
