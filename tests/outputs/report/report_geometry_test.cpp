// What the pictures show: the functional image through the very mapping the VOIs were built
// with, the VOI outline where the mapped ROI lies, and the figures of the VOI table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "outputs/report/report_builder.h"
#include "outputs/report/report_writer.h"
#include "outputs/report/set_pictures.h"
#include "outputs/report/target_mapping.h"
#include "outputs/report/voi_pictures.h"
#include "outputs/report/picture_text.h"
#include "label_check.h"
#include "png_read.h"
#include "report_fixture.h"
#include "voi/voi_builder.h"
#include "voi/voi_scan.h"

namespace zandrel::report {
namespace {

using test::TempDir;

SetRecords recordsOf(const studygen::SubjectFiles& files) {
    SetRecords records;
    records.roi = readRoiFile(files.roi);
    records.fmr = readFmrHeader(files.fmr, false);
    records.ia = readTrfFile(files.ia);
    records.fa = readTrfFile(files.fa);
    records.acpc = readTrfFile(files.acpc);
    if (!files.tal.empty()) records.tal = readTalFile(files.tal);
    return records;
}

TEST(TargetMapping, KeepsExactlyThePointsOfTheReferenceScan) {
    TempDir dir;
#ifdef ZANDREL_SANITIZE
    const int subjects = 2;  // one with landmarks, one without: each is two full grid passes
#else
    const int subjects = 3;
#endif
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("s"), studygen::testStudyPlan(subjects, 5));
    for (const studygen::SubjectFiles& files : study.subjects) {
        const SetRecords records = recordsOf(files);
        const TargetMapping mapping(computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal),
                                    records.fmr);
        VolumeGrid mask(mapping.dim(0), mapping.dim(1), mapping.dim(2));
        mask.fill(0.0f);
        for (const VoxelTriple& v : records.roi.plots.at(0).voxels)
            if (mask.contains(v.x, v.y, v.z)) mask.set(v.x, v.y, v.z, 1.0f);
        std::vector<VoxelTriple> expected;
        scanReference(mapping.setup(), mask, expected);
        ASSERT_FALSE(expected.empty()) << files.roi;

        std::vector<VoxelTriple> kept;
        std::array<std::int32_t, 3> cell{};
        for (std::int32_t k = 0; k < kAnatomicalGridSize; ++k)
            for (std::int32_t j = 0; j < kAnatomicalGridSize; ++j)
                for (std::int32_t i = 0; i < kAnatomicalGridSize; ++i)
                    if (mapping.cellOf(i, j, k, cell) && mask.get(cell[0], cell[1], cell[2]) > 0.5f)
                        kept.push_back(keptTriple(mapping.setup(), i, j, k));
        EXPECT_EQ(kept.size(), expected.size()) << files.roi;
        EXPECT_TRUE(kept == expected) << files.roi << (files.tal.empty() ? " (ACPC)" : " (TAL)");
        // And back: every kept triple names the grid point it came from.
        for (std::size_t n = 0; n < expected.size(); n += 97) {
            const std::array<std::int32_t, 3> p = mapping.gridOf(expected[n]);
            ASSERT_TRUE(mapping.cellOf(p[0], p[1], p[2], cell)) << files.roi;
            EXPECT_GT(mask.get(cell[0], cell[1], cell[2]), 0.5f) << files.roi << " triple " << n;
        }
    }
}

// The cuts' plane mapping regroups the scans' sums by row and column: every cell must
// still be the one cellOf gives, for each orientation, on and off the grid.
TEST(TargetMapping, PlaneCellsAreTheCellsOfEachPoint) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("s"), studygen::testStudyPlan(2, 11));
    for (const studygen::SubjectFiles& files : study.subjects) {
        const SetRecords records = recordsOf(files);
        const TargetMapping mapping(computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal),
                                    records.fmr);
        const std::int64_t dimX = mapping.dim(0);
        const std::int64_t dimY = mapping.dim(1);
        std::int64_t inside = 0;
        for (const Cut cut : {Cut::sagittal, Cut::coronal, Cut::axial}) {
            for (const std::int32_t position : {0, 97, 128, 255, -3, 300}) {
                GridPlane plane = planeOf(cut, position);
                if (position == 97) plane.step = 1, plane.columns = plane.rows = kAnatomicalGridSize;
                std::vector<std::int64_t> cells;
                mapping.planeCells(plane, cells);
                ASSERT_EQ(cells.size(), static_cast<std::size_t>(plane.columns) * static_cast<std::size_t>(plane.rows));
                std::array<std::int32_t, 3> index{};
                std::array<std::int32_t, 3> cell{};
                index[static_cast<std::size_t>(plane.fixedAxis)] = position;
                for (std::int32_t y = 0; y < plane.rows; ++y) {
                    index[static_cast<std::size_t>(plane.rowAxis)] = y * plane.step;
                    for (std::int32_t x = 0; x < plane.columns; ++x) {
                        index[static_cast<std::size_t>(plane.columnAxis)] = x * plane.step;
                        const std::int64_t expected = mapping.cellOf(index[0], index[1], index[2], cell)
                                                          ? (cell[2] * dimY + cell[1]) * dimX + cell[0]
                                                          : -1;
                        inside += expected >= 0 ? 1 : 0;
                        ASSERT_EQ(cells[static_cast<std::size_t>(y * plane.columns + x)], expected)
                            << files.roi << " plane " << plane.fixedAxis << " = " << position << " at " << x << "," << y;
                    }
                }
            }
        }
        EXPECT_GT(inside, 1000) << files.roi << ": the planes should cross the functional grid";
    }
}

// A 16 x 16 x 8 functional grid of 1 mm voxels and identity transformations: target point
// (i, j, k) samples cell (i - 120, j - 120, k - 124).
struct IdentitySet {
    ConvertedSet set;
    explicit IdentitySet(const TempDir& dir) {
        std::string bytes;
        for (int z = 0; z < 8; ++z)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    const float value = static_cast<float>(x + 16 * y + 256 * z);
                    std::uint32_t bits;
                    std::memcpy(&bits, &value, sizeof bits);
                    for (int b = 0; b < 4; ++b) bytes += static_cast<char>((bits >> (8 * b)) & 0xFF);
                }
        dir.write("run.stc", bytes);
        SetRecords& records = set.records;
        FmrHeader& fmr = records.fmr;
        fmr.path = dir.file("run.fmr");
        fmr.Prefix.value = "run";
        fmr.NrOfVolumes.value = 1;
        fmr.ResolutionX.value = 16;
        fmr.ResolutionY.value = 16;
        fmr.NrOfSlices.value = 8;
        fmr.DataType.value = 2;
        fmr.DataType.present = true;
        fmr.InplaneResolutionX.value = 1.0f;
        fmr.InplaneResolutionY.value = 1.0f;
        fmr.SliceThickness.value = 1.0f;
        fmr.SliceGap.value = 0.0f;
        records.ia.ToVMRVoxelRes.value = 1.0f;
        RoiPlot plot;
        for (std::int32_t z = 2; z <= 4; ++z)
            for (std::int32_t y = 5; y <= 9; ++y)
                for (std::int32_t x = 4; x <= 7; ++x) plot.voxels.push_back({x, y, z});
        records.roi.plots.push_back(plot);

        set.chain = computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal);
        set.voiFile = buildVoiFile(records.roi, records.fmr, set.chain, &set.build);
    }
};

TEST(ReportPictures, VoiOutlineLiesWhereTheMappedRoiLies) {
    TempDir dir;
    const IdentitySet identity(dir);
    const Voi& voi = identity.set.voiFile.vois.at(0);
    ASSERT_EQ(voi.voxels.size(), 60u) << "the chain is not the identity the test assumes";
    ReportWriter writer(dir.file("report"));
    ReportBuilder builder("list.txt", "1.0", false);
    builder.startSet(FileSet{});
    builder.setBuilt("ACPC", voiRowsOf(identity.set));
    writer.addSet(0, identity.set);
    std::vector<std::pair<std::size_t, DrawnSet>> drawn = writer.collect();
    ASSERT_EQ(drawn.size(), 1u);
    DrawnSet pictures = std::move(drawn[0].second);
    ASSERT_EQ(pictures.note, "");
    builder.setPictures(std::move(pictures.pictures), "");
    builder.finishSet(SetOutcome::converted);
    writer.finish(builder.model());
    const std::string name = figureName(0, 0);
    const test::PngPicture figure = test::readPng(dir.file("report/" + name));
    ASSERT_TRUE(figure.valid) << name;
    const std::uint32_t red = static_cast<std::uint32_t>(voi.red) << 16 | static_cast<std::uint32_t>(voi.green) << 8 |
                              static_cast<std::uint32_t>(voi.blue);
    const std::uint32_t frame = 0xFFFFFFu;
    const std::uint32_t black = 0u;
    ASSERT_EQ(haloColour({255, 40, 50}), (Rgb{0, 0, 0})) << "the first VOI colour is red, haloed in black";
    // Left to right: three cuts of kCutSize pixels and the functional slice of 256 (16 pixels
    // a cell: the least whole number that makes 16 cells 256 pixels), each kFigureGap from the
    // frame's edge and from each other.
    const auto left = [](std::int32_t panel) { return kFigureGap + panel * (kCutSize + kFigureGap); };
    static_assert(kCutSize == 258 && kCutScale == 3, "the pixel ranges below assume 86 samples of 3 x 3 pixels");
    ASSERT_EQ(figure.width, left(3) + 256 + kFigureGap);
    ASSERT_EQ(figure.height, kCutSize + 2 * kFigureGap);

    // The title of each panel at its top-left corner, white glyph pixels (2 x 2 each) with a
    // black halo (label_check.h). The set lies in the native anatomical grid, whose cuts have
    // no known directions: no letters at their edges (those of an anatomical space are
    // checked on the converted study's figures).
    struct Box {
        std::int32_t panel, x0, y0, x1, y1;  // inclusive, halo included
    };
    std::vector<Box> boxes;
    const auto expectLabel = [&](std::int32_t panel, std::int32_t x, std::int32_t y, const std::string& text) {
        boxes.push_back({panel, x - 1, y - 1, x + textWidth(text, kLabelScale), y + textHeight(kLabelScale)});
        EXPECT_EQ(test::labelFault(figure, left(panel) + x, kFigureGap + y, text), "") << "panel " << panel;
    };
    const char* const titles[] = {"Sagittal", "Coronal", "Axial"};
    for (std::int32_t panel = 0; panel < 3; ++panel) {
        expectLabel(panel, kLabelMargin, kLabelMargin, titles[panel]);
        const std::int32_t letterWidth = textWidth("M", kLabelScale);
        EXPECT_NE(test::labelFault(figure, left(panel) + (kCutSize - letterWidth) / 2, kFigureGap + kLabelMargin, "S"), "")
            << "a direction on a native grid's cut";
    }
    expectLabel(3, kLabelMargin, kLabelMargin, "Slice 2");
    const auto underLabel = [&](std::int32_t panel, std::int32_t x, std::int32_t y) {
        for (const Box& box : boxes)
            if (box.panel == panel && x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1) return true;
        return false;
    };

    // A rectangle of cells outlined: the outline its outermost kOutlineWidth pixels, the
    // halo one pixel on either side of it.
    struct Rect {
        std::int32_t x0, y0, x1, y1;  // pixels, inclusive
        bool inside(std::int32_t x, std::int32_t y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
        bool outline(std::int32_t x, std::int32_t y) const {
            return inside(x, y) && (x - x0 < kOutlineWidth || x1 - x < kOutlineWidth || y - y0 < kOutlineWidth ||
                                    y1 - y < kOutlineWidth);
        }
        bool halo(std::int32_t x, std::int32_t y) const {
            const bool ringOutside = !inside(x, y) && x >= x0 - 1 && x <= x1 + 1 && y >= y0 - 1 && y <= y1 + 1;
            const bool ringInside = inside(x, y) && !outline(x, y) &&
                                    (x - x0 == kOutlineWidth || x1 - x == kOutlineWidth || y - y0 == kOutlineWidth ||
                                     y1 - y == kOutlineWidth);
            return ringOutside || ringInside;
        }
    };
    const auto cells = [](std::int32_t c0, std::int32_t c1, std::int32_t r0, std::int32_t r1, std::int32_t scale) {
        return Rect{c0 * scale, r0 * scale, (c1 + 1) * scale - 1, (r1 + 1) * scale - 1};
    };

    // Cuts through the VOI's centre (126, 127, 127), sample s showing grid index 3s: the VOI
    // spans i 124..127, j 125..129, k 126..128 (samples 41..42, 41..43, 42); the functional
    // grid covers i and j 120..135 (samples 40..45) and k 124..131 (samples 42..43).
    struct Cut {
        std::int32_t columnLow, columnHigh, rowLow, rowHigh;  // the VOI's rectangle of samples
        std::int32_t gridColumnLow, gridColumnHigh, gridRowLow, gridRowHigh;  // the functional grid's
    };
    static_assert(kCutStep == 3, "the sample ranges below assume every third grid point");
    const Cut cuts[] = {
        {41, 42, 41, 43, 40, 45, 40, 45},  // sagittal: columns i, rows j
        {42, 42, 41, 43, 42, 43, 40, 45},  // coronal: columns k, rows j
        {42, 42, 41, 42, 42, 43, 40, 45},  // axial: columns k, rows i
    };
    std::map<std::pair<std::int32_t, std::int32_t>, std::uint32_t> blocks;  // (panel, block): its grey
    for (std::int32_t panel = 0; panel < 3; ++panel) {
        const Cut& c = cuts[panel];
        const Rect voiRect = cells(c.columnLow, c.columnHigh, c.rowLow, c.rowHigh, kCutScale);
        const Rect grid = cells(c.gridColumnLow, c.gridColumnHigh, c.gridRowLow, c.gridRowHigh, kCutScale);
        for (std::int32_t y = 0; y < kCutSize; ++y) {
            for (std::int32_t x = 0; x < kCutSize; ++x) {
                if (underLabel(panel, x, y)) continue;
                const std::uint32_t pixel = figure.at(left(panel) + x, kFigureGap + y);
                if (voiRect.outline(x, y)) {
                    ASSERT_EQ(pixel, red) << "panel " << panel << " at " << x << "," << y;
                } else if (voiRect.halo(x, y) || !grid.inside(x, y)) {
                    ASSERT_EQ(pixel, black) << "panel " << panel << " at " << x << "," << y;
                } else {
                    ASSERT_EQ(pixel >> 16, pixel & 0xFF) << "panel " << panel << " at " << x << "," << y << " not grey";
                    ASSERT_LE(pixel & 0xFF, kLightestGrey) << "panel " << panel << " at " << x << "," << y;
                    // Each sample is a block of 3 x 3 equal pixels: nothing smoothed.
                    const auto seen = blocks.emplace(std::make_pair(panel, (y / 3) * 1000 + x / 3), pixel).first;
                    ASSERT_EQ(pixel, seen->second) << "panel " << panel << " at " << x << "," << y;
                }
            }
        }
    }
    // The functional slice 2 (the lowest of three equal ones), 16 pixels a cell: the ROI's
    // cells x 4..7, y 5..9 are pixels 64..127 and 80..159; below its 256 rows, the frame.
    const Rect roi = cells(4, 7, 5, 9, 16);
    for (std::int32_t y = 0; y < figure.height - kFigureGap; ++y)
        for (std::int32_t x = 0; x < 256; ++x) {
            const std::uint32_t pixel = figure.at(left(3) + x, kFigureGap + y);
            if (y >= 256) {
                EXPECT_EQ(pixel, frame) << "slice frame at " << x << "," << y;
            } else if (underLabel(3, x, y)) {
                continue;
            } else if (roi.outline(x, y)) {
                ASSERT_EQ(pixel, red) << "slice at " << x << "," << y;
            } else if (roi.halo(x, y)) {
                ASSERT_EQ(pixel, black) << "slice at " << x << "," << y;
            } else {
                ASSERT_EQ(pixel >> 16, pixel & 0xFF) << "slice at " << x << "," << y << " not grey";
                const auto seen = blocks.emplace(std::make_pair(3, (y / 16) * 1000 + x / 16), pixel).first;
                ASSERT_EQ(pixel, seen->second) << "slice at " << x << "," << y;
            }
        }
    // The frame around and between the panels.
    for (std::int32_t x = 0; x < figure.width; ++x) {
        EXPECT_EQ(figure.at(x, 0), frame) << x;
        EXPECT_EQ(figure.at(x, figure.height - 1), frame) << x;
    }
    for (std::int32_t panel = 0; panel <= 3; ++panel)
        for (std::int32_t y = 0; y < figure.height; ++y) EXPECT_EQ(figure.at(left(panel) - 1, y), frame) << panel << "," << y;
    EXPECT_NE(test::readText(dir.file("report/index.html")).find("Functional slice 2 of 8, 20 of 60 ROI voxels"),
              std::string::npos);
}

// Every VOI colour the builder hands out, and a sweep of others, keeps an outline that
// shows on black and on white: its halo contrasts with it, and on each background either
// the outline itself or its halo stands out. Drawn on a black and a white picture, the
// outline is surrounded by its halo on both sides.
TEST(ReportPictures, EveryOutlineColourHasAHaloThatShowsOnBlackAndWhite) {
    const Rgb black = {0, 0, 0};
    const Rgb white = {255, 255, 255};
    std::vector<Rgb> colours = {{255, 40, 50}, {80, 255, 80}, {40, 30, 255}, {255, 40, 255}, {80, 255, 255}, {255, 255, 30}};
    for (int r = 0; r < 256; r += 51)
        for (int g = 0; g < 256; g += 51)
            for (int b = 0; b < 256; b += 51)
                colours.push_back({static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)});
    EXPECT_LT(contrastRatio({40, 30, 255}, black), 3.0) << "the dark blue alone is hard to see on black";
    EXPECT_DOUBLE_EQ(contrastRatio(black, white), 21.0);
    for (const Rgb& colour : colours) {
        const Rgb halo = haloColour(colour);
        const std::string name = std::to_string(colour[0]) + "," + std::to_string(colour[1]) + "," + std::to_string(colour[2]);
        ASSERT_TRUE(halo == black || halo == white) << name;
        EXPECT_GE(contrastRatio(colour, halo), 4.5) << name;
        for (const Rgb& background : {black, white})
            EXPECT_GE(std::max(contrastRatio(colour, background), contrastRatio(halo, background)), 4.5) << name;
    }
    // On the pictures: a 3 x 2 block of 4-pixel cells, drawn on black and on (nearly) white grey.
    const std::vector<std::uint8_t> marked = {0, 0, 0, 0, 0,  //
                                              0, 1, 1, 1, 0,  //
                                              0, 1, 1, 1, 0,  //
                                              0, 0, 0, 0, 0};
    for (const Rgb& colour : {Rgb{40, 30, 255}, Rgb{255, 255, 30}}) {
        for (const std::uint8_t ground : {std::uint8_t{0}, kLightestGrey}) {
            RgbImage image(20, 16);
            std::fill(image.pixels.begin(), image.pixels.end(), ground);
            drawOutline(image, marked, 4, colour);
            const Rgb halo = haloColour(colour);
            for (std::int32_t y = 0; y < 16; ++y)
                for (std::int32_t x = 0; x < 20; ++x) {
                    const bool inside = x >= 4 && x <= 15 && y >= 4 && y <= 11;
                    const bool outline = inside && (x <= 5 || x >= 14 || y <= 5 || y >= 10);
                    const bool ring = (!inside && x >= 3 && x <= 16 && y >= 3 && y <= 12) ||
                                      (inside && !outline && (x == 6 || x == 13 || y == 6 || y == 9));
                    const Rgb expected = outline ? colour : ring ? halo : Rgb{ground, ground, ground};
                    ASSERT_EQ(image.get(x, y), expected) << "colour " << int(colour[2]) << " on " << int(ground) << " at " << x << "," << y;
                }
        }
    }
}

// Labels are drawn from the font's glyphs, white on a black halo, clipped at the edges,
// and a label adds no colour a figure does not have anyway.
TEST(ReportPictures, LabelsAreWhiteGlyphsWithABlackHalo) {
    for (const char c : std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789=-./ "))
        EXPECT_NE(glyphRows(c), nullptr) << c;
    EXPECT_EQ(glyphRows('s'), glyphRows('S'));
    EXPECT_EQ(glyphRows('#'), nullptr);
    EXPECT_EQ(textWidth("LR", 2), (2 * kGlyphAdvance - 1) * 2);
    EXPECT_EQ(kLabelColour, kFrameColour);
    EXPECT_EQ(kLabelHalo, (Rgb{0, 0, 0}));

    RgbImage image(12, 9);
    std::fill(image.pixels.begin(), image.pixels.end(), std::uint8_t{120});
    drawText(image, 1, 1, "L", 1);
    // L: the left column and the bottom row of its 5 x 7 cell.
    for (std::int32_t y = 0; y < 9; ++y)
        for (std::int32_t x = 0; x < 12; ++x) {
            const bool ink = (x == 1 && y >= 1 && y <= 7) || (y == 7 && x >= 1 && x <= 5);
            const bool halo = !ink && x <= 6 && y <= 8 && (x <= 2 || y >= 6);
            const Rgb expected = ink ? kLabelColour : halo ? kLabelHalo : Rgb{120, 120, 120};
            ASSERT_EQ(image.get(x, y), expected) << x << "," << y;
        }
    // Partly off the picture: what lies inside is drawn, nothing outside is touched.
    RgbImage small(4, 4);
    drawText(small, -3, -3, "W", 2);
    drawText(small, 3, 3, "W", 2);
    EXPECT_EQ(small.get(3, 3), kLabelColour);
}

TEST(ReportTable, FiguresComeFromTheSavedFileOnItsGrid) {
    TempDir dir;
    const IdentitySet identity(dir);
    const std::vector<VoiRow> rows = voiRowsOf(identity.set);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, "VOI 1");
    EXPECT_EQ(rows[0].figures.voxels, 60);
    EXPECT_EQ(rows[0].figures.volumeMm3, 60);
    EXPECT_EQ(rows[0].figures.sharedVoxels, 0);
    // Grid indices i 124..127, j 125..129, k 126..128 lie at x = 128 - k, y = 128 - i,
    // z = 128 - j millimetres: the mean of each range.
    EXPECT_EQ(rows[0].figures.centroid, (std::array<double, 3>{{1.0, 2.5, 1.0}}));
}

TEST(ReportPictures, WindowIgnoresAFewExtremeCells) {
    VolumeGrid image(100, 10, 1);
    for (std::size_t c = 0; c < image.cellCount(); ++c) image.data()[c] = static_cast<float>(c % 100);
    image.data()[3] = 1e9f;
    image.data()[4] = -1e9f;
    image.data()[5] = std::numeric_limits<float>::quiet_NaN();
    const Window window = robustWindow(image);
    // 999 finite values, ten of each of 0..99 but three: positions 19 and 978 once sorted.
    EXPECT_EQ(window.low, 1.0f);
    EXPECT_EQ(window.high, 98.0f);
    EXPECT_EQ(greyLevel(window.low, window), 0);
    EXPECT_EQ(greyLevel(window.high, window), kLightestGrey);
    EXPECT_EQ(greyLevel(std::numeric_limits<float>::quiet_NaN(), window), 0);
}

TEST(ReportPictures, WindowOfALargeImageComesFromAnEvenSample) {
    // 2^18 cells: the window is taken from every 64th. Values 0..96 repeat with a period
    // prime to the stride, so the sample holds them all; one sampled cell in 125 is extreme.
    VolumeGrid image(256, 256, 4);
    for (std::size_t c = 0; c < image.cellCount(); ++c)
        image.data()[c] = c % 8000 == 0 ? 1e9f : static_cast<float>(c % 97);
    const Window window = robustWindow(image);
    EXPECT_LE(window.low, 2.0f);
    EXPECT_GE(window.high, 93.0f);
    EXPECT_LE(window.high, 96.0f) << "the extreme cells set the window";
}

TEST(ReportPictures, PngFailureLeavesNoFile) {
    TempDir dir;
    try {
        writePng(dir.file("missing/a.png"), RgbImage(2, 2));
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + dir.file("missing/a.png"));
    }
    writePng(dir.file("a.png"), RgbImage(3, 2));
    const test::PngPicture png = test::readPng(dir.file("a.png"));
    EXPECT_TRUE(png.valid && png.width == 3 && png.height == 2);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "temporary file left: " << entry.path();
}

// A picture of at most 256 colours is written with a palette, one of more as RGB rows;
// either way every pixel reads back exactly.
TEST(ReportPictures, PngKeepsEveryColourWithAndWithoutAPalette) {
    TempDir dir;
    for (const std::int32_t side : {16, 17}) {  // 256 and 289 distinct colours
        RgbImage image(side, side);
        for (std::int32_t y = 0; y < side; ++y)
            for (std::int32_t x = 0; x < side; ++x)
                image.set(x, y, {static_cast<std::uint8_t>(x * 15), static_cast<std::uint8_t>(y * 15), 7});
        const std::string path = dir.file("c" + std::to_string(side) + ".png");
        writePng(path, image);
        const test::PngPicture png = test::readPng(path);
        ASSERT_TRUE(png.valid) << side;
        EXPECT_EQ(png.rgb, image.pixels) << side;
        // Byte 25 of a PNG is the colour type of its header: 3 palette, 2 RGB.
        const std::string bytes = test::readFile(path);
        EXPECT_EQ(static_cast<int>(bytes.at(25)), side == 16 ? 3 : 2) << side;
    }
}

}  // namespace
}  // namespace zandrel::report
