// The time courses of a .voi file on a run through the library, without files written:
// a ROI converted and extracted on its own run with a threshold of 1 gives exactly the mean
// over the ROI's voxels, volume by volume; selections carry their occupancies; column names
// of repeated VOI names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "runs/voi_timecourses.h"
#include "temp_dir.h"
#include "voi/voi_builder.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

// Sample of cell `index` (slice, row, column order within the volume) in volume t, read
// straight from the data file: int16 or float, little-endian, slice, volume, row, column.
double sampleAt(const std::string& data, const FmrHeader& fmr, const VoxelTriple& c, int t) {
    const std::size_t plane = static_cast<std::size_t>(fmr.ResolutionX.value) * fmr.ResolutionY.value;
    const std::size_t n = (static_cast<std::size_t>(c.z) * fmr.NrOfVolumes.value + t) * plane +
                          static_cast<std::size_t>(c.y) * fmr.ResolutionX.value + c.x;
    const auto byte = [&](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at])); };
    if (fmr.DataType.value == 2) {
        const std::uint32_t bits = byte(4 * n) | byte(4 * n + 1) << 8 | byte(4 * n + 2) << 16 | byte(4 * n + 3) << 24;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    return static_cast<std::int16_t>(byte(2 * n) | byte(2 * n + 1) << 8);
}

TEST(VoiTimeCourses, RoiConvertedAndExtractedOnItsOwnRunGivesTheMeanOverItsVoxels) {
    const TempDir folder;
    const studygen::GeneratedStudy study = studygen::writeStudy(folder.file("study"), studygen::testStudyPlan(2, 91));
    for (const studygen::SubjectFiles& files : study.subjects) {
        SCOPED_TRACE(files.fmr);
        const FmrHeader fmr = readFmrHeader(files.fmr, false);
        const TalRecord tal = files.tal.empty() ? TalRecord{} : readTalFile(files.tal);
        const SetChain chain =
            computeSetChain(fmr, readTrfFile(files.ia), readTrfFile(files.fa), readTrfFile(files.acpc), tal);
        const RoiFile roi = readRoiFile(files.roi);
        const VoiFile voi = buildVoiFile(roi, fmr, chain);

        ExtractOptions options;
        options.statistics = {TimeStatistic::Mean};
        const VoiTimeCourses extracted = extractVoiTimeCourses(voi, chain, fmr, 1.0, options);
        ASSERT_EQ(extracted.series.vois.size(), roi.plots.size());
        ASSERT_EQ(extracted.series.volumes, fmr.NrOfVolumes.value);
        const std::string data = readFile(files.stc);

        for (std::size_t p = 0; p < roi.plots.size(); ++p) {
            SCOPED_TRACE("plot " + std::to_string(p + 1));
            // The ROI's voxels in the functional grid, each once, in slice, row, column order.
            std::vector<VoxelTriple> cells;
            for (const VoxelTriple& v : roi.plots[p].voxels)
                if (v.x >= 0 && v.y >= 0 && v.z >= 0 && v.x < fmr.ResolutionX.value && v.y < fmr.ResolutionY.value &&
                    v.z < fmr.NrOfSlices.value)
                    cells.push_back(v);
            std::sort(cells.begin(), cells.end(), [](const VoxelTriple& a, const VoxelTriple& b) {
                return std::tie(a.z, a.y, a.x) < std::tie(b.z, b.y, b.x);
            });
            cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
            ASSERT_EQ(extracted.series.vois[p].cellCount, cells.size());
            const std::vector<double>& mean = extracted.series.vois[p].series[0];
            for (int t = 0; t < fmr.NrOfVolumes.value; ++t) {
                double sum = 0.0;
                for (const VoxelTriple& c : cells) sum += sampleAt(data, fmr, c, t);
                EXPECT_EQ(mean[static_cast<std::size_t>(t)], sum / static_cast<double>(cells.size())) << "volume " << t;
            }
        }
    }
}

TEST(VoiTimeCourses, SelectionsKeepTheOccupancyOfEverySelectedCell) {
    Footprint footprint;
    footprint.vois.resize(2);
    footprint.vois[0].touched = {{{1, 2, 3}, 4, 8}, {{2, 2, 3}, 1, 8}, {{3, 2, 3}, 8, 8}};
    const std::vector<SelectedCells> atHalf = selectionsOf(footprint, 0.5);
    ASSERT_EQ(atHalf.size(), 2u);
    ASSERT_EQ(atHalf[0].cells.size(), 2u);
    EXPECT_EQ(atHalf[0].cells[0].column, 1);
    EXPECT_EQ(atHalf[0].cells[0].occupancy, 0.5);
    EXPECT_EQ(atHalf[0].cells[1].column, 3);
    EXPECT_EQ(atHalf[0].cells[1].occupancy, 1.0);
    EXPECT_TRUE(atHalf[1].cells.empty());
    EXPECT_EQ(selectionsOf(footprint, 0.0)[0].cells.size(), 3u);
    EXPECT_EQ(selectionsOf(footprint, 1.0)[0].cells.size(), 1u);
}

TEST(VoiTimeCourses, RepeatedNamesGetTheirOccurrenceNumber) {
    struct Case {
        std::vector<std::string> names, columns;
    };
    const Case cases[] = {
        {{"V1", "V2"}, {"V1", "V2"}},
        {{"A", "A", "B", "A"}, {"A", "A_2", "B", "A_3"}},
        // A suffixed name never takes the name of another VOI.
        {{"A", "A", "A_2"}, {"A", "A_3", "A_2"}},
        {{"A_2", "A", "A"}, {"A_2", "A", "A_3"}},
        {{"", ""}, {"", "_2"}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        std::string input;
        for (const std::string& name : c.names) input += "[" + name + "]";
        EXPECT_EQ(uniqueColumnNames(c.names), c.columns) << input;
    }
}

}  // namespace
}  // namespace zandrel
