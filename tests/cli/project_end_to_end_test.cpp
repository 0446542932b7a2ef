// `zandrel project` run as a program on generated studies: a converted ROI placed back on its
// own run at threshold 1 gives the ROI back; a VOI on another subject's run gives what the
// library's footprint gives; refusals, reports, hostile VOIs, dry runs, the output folder,
// usage errors, and the occupancy image read back with nibabel.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "batch/run_projection.h"
#include "formats/roi_file.h"
#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"
#include "voi/voi_reader.h"
#include "zandrel/build_features.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

test::ProgramRun runZandrel(const std::string& folder, const std::vector<std::string>& args) {
    return test::runProgram(ZANDREL_EXECUTABLE, args, folder);
}

// A converted study of three small subjects: TAL (first slice lowest), ACPC (first slice
// highest), TAL with an extra IA transformation.
struct ConvertedStudy {
    TempDir dir;
    studygen::GeneratedStudy study;

    ConvertedStudy() {
        study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(3, 41));
        const test::ProgramRun convert = runZandrel(study.root, {"convert", study.listPath});
        if (convert.status != 0) throw std::runtime_error("convert failed: " + convert.out + convert.err);
    }
    const studygen::SubjectFiles& subject(std::size_t s) const { return study.subjects[s]; }
};

// The run set lines: `voi` placed on the run of `run`.
std::vector<std::string> runSetLines(const std::string& voi, const studygen::SubjectFiles& run) {
    std::vector<std::string> lines = {voi, run.fmr, run.ia, run.fa, run.acpc};
    if (!run.tal.empty()) lines.push_back(run.tal);
    return lines;
}

std::vector<std::string> joined(std::vector<std::vector<std::string>> groups) {
    std::vector<std::string> all;
    for (const auto& group : groups) all.insert(all.end(), group.begin(), group.end());
    return all;
}

RunSet runSetOf(const std::string& voi, const studygen::SubjectFiles& run) {
    return RunSet{voi, run.fmr, run.ia, run.fa, run.acpc, run.tal};
}

std::vector<std::string> tableRows(const std::string& path) {
    std::istringstream in(readFile(path));
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);) rows.push_back(line);
    return rows;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The drawn voxels of a plot inside the functional grid, each once, slice, row, column ascending.
std::vector<VoxelTriple> drawnCells(const RoiPlot& plot, const FmrHeader& fmr) {
    std::vector<VoxelTriple> cells;
    for (const VoxelTriple& v : plot.voxels)
        if (v.x >= 0 && v.y >= 0 && v.z >= 0 && v.x < fmr.ResolutionX.value && v.y < fmr.ResolutionY.value &&
            v.z < fmr.NrOfSlices.value)
            cells.push_back(v);
    const auto order = [](const VoxelTriple& a, const VoxelTriple& b) {
        return std::tie(a.z, a.y, a.x) < std::tie(b.z, b.y, b.x);
    };
    std::sort(cells.begin(), cells.end(), order);
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    return cells;
}

TEST(ProjectCommand, ThresholdOneGivesEveryConvertedRoiBackOnItsOwnRun) {
    const ConvertedStudy converted;
    std::vector<std::string> lines;
    for (const auto& files : converted.study.subjects) {
        const auto set = runSetLines(test::voiPathOf(files), files);
        lines.insert(lines.end(), set.begin(), set.end());
    }
    const std::string list = test::writeList(converted.dir.file("runs.txt"), lines);
    const test::ProgramRun run = runZandrel(converted.study.root,
                                            {"project", list, "--min-occupancy", "1", "--transcript", "t.jsonl"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    std::string console;
    for (const auto& files : converted.study.subjects) {
        const std::string voi = test::voiPathOf(files);
        SCOPED_TRACE(voi);
        console += "Projected " + voi + " onto " + files.fmr + "\n";
        const std::string stem = projectionStem(runSetOf(voi, files), "");
        const RoiFile original = readRoiFile(files.roi);
        const RoiFile placed = readRoiFile(stem + ".roi");
        const FmrHeader fmr = readFmrHeader(files.fmr, false);
        ASSERT_EQ(placed.plots.size(), original.plots.size());
        const std::vector<std::string> rows = tableRows(stem + "_coverage.tsv");
        ASSERT_EQ(rows.size(), original.plots.size() + 1);
        for (std::size_t p = 0; p < original.plots.size(); ++p) {
            // Every placed voxel was drawn; a drawn voxel is missing only when no grid point
            // reaches it, which converting it alone shows.
            const std::vector<VoxelTriple> drawn = drawnCells(original.plots[p], fmr);
            const std::vector<VoxelTriple>& back = placed.plots[p].voxels;
            std::vector<VoxelTriple> unreached;
            for (const VoxelTriple& v : drawn)
                if (std::find(back.begin(), back.end(), v) == back.end()) unreached.push_back(v);
            EXPECT_EQ(back.size() + unreached.size(), drawn.size()) << "plot " << p + 1;
            std::vector<VoxelTriple> inOrder = back;
            std::stable_sort(inOrder.begin(), inOrder.end(), [](const VoxelTriple& a, const VoxelTriple& b) {
                return std::tie(a.z, a.y, a.x) < std::tie(b.z, b.y, b.x);
            });
            EXPECT_EQ(back, inOrder) << "plot " << p + 1 << " not in slice, row, column order";
            if (!unreached.empty()) {
                RoiFile alone;
                RoiPlot plot;
                plot.voxels = unreached;
                alone.plots.push_back(plot);
                const FileSet set{files.roi, files.fmr, files.ia, files.fa, files.acpc, files.tal};
                const TalRecord tal = files.tal.empty() ? TalRecord{} : readTalFile(files.tal);
                EXPECT_TRUE(buildVoiFile(alone, fmr, readTrfFile(files.ia), readTrfFile(files.fa),
                                         readTrfFile(files.acpc), tal)
                                .vois[0]
                                .voxels.empty());
            }
            // Every point of the VOI lands in the run and fills its cell.
            const std::string count = std::to_string(back.size());
            const VoiFile voi = readVoiFile(test::voiPathOf(files)).file;
            const std::string points = std::to_string(voi.vois[p].voxels.size());
            EXPECT_EQ(rows[p + 1], voi.vois[p].NameOfVOI.value + "\t" + points + "\t" + points + "\t1\t" + count +
                                       "\t" + count + "\t1");
        }
    }
    EXPECT_EQ(run.out, console);
    EXPECT_EQ(run.err, "");
    const std::string transcript = readFile(converted.study.root + "/t.jsonl");
    EXPECT_EQ(std::count(transcript.begin(), transcript.end(), '\n'), 3) << transcript;
}

TEST(ProjectCommand, VoiOnAnotherRunGivesTheLibraryFootprintAndRefusalsLetTheBatchGoOn) {
    const ConvertedStudy converted;
    const std::string tal1 = test::voiPathOf(converted.subject(0));
    const std::string acpc2 = test::voiPathOf(converted.subject(1));
    // An MNI file: the same file with another ReferenceSpace.
    VoiFile mniFile = readVoiFile(tal1).file;
    mniFile.ReferenceSpace.value = "MNI";
    mniFile.fileName = converted.dir.file("mni.voi");
    mniFile.save();
    const std::string mni = mniFile.fileName;
    RunSet missing = runSetOf(acpc2, converted.subject(1));
    missing.faTrfPath = converted.dir.file("gone_FA.trf");
    const std::vector<std::string> lines = joined({
        runSetLines(tal1, converted.subject(1)),  // TAL VOI on an ACPC run: refused
        runSetLines(mni, converted.subject(0)),   // MNI: refused
        {acpc2, missing.fmrPath, missing.iaTrfPath, missing.faTrfPath, missing.acpcTrfPath},  // reported
        runSetLines(tal1, converted.subject(2)),  // another subject's TAL run: projected
    });
    const std::string list = test::writeList(converted.dir.file("runs.txt"), lines);
    const std::vector<std::string> before = filesIn(converted.study.root + "/subject2");
    const test::ProgramRun run = runZandrel(converted.study.root, {"project", list});
    EXPECT_EQ(run.status, 1) << run.err;

    std::istringstream out(run.out);
    std::vector<std::string> entries;
    for (std::string line; std::getline(out, line);) entries.push_back(line);
    ASSERT_EQ(entries.size(), 6u) << run.out;
    EXPECT_EQ(entries[0].rfind("!!!! Could not project " + tal1 + " onto " + converted.subject(1).fmr +
                                   ": ReferenceSpace \"TAL\" does not fit the run",
                               0),
              0u)
        << entries[0];
    EXPECT_EQ(entries[1].rfind("!!!! Could not project " + mni + " onto " + converted.subject(0).fmr + ": ", 0), 0u)
        << entries[1];
    EXPECT_NE(entries[1].find("MNI"), std::string::npos) << entries[1];
    EXPECT_EQ(entries[2], "!!!! Not enough files could be loaded to project " + acpc2);
    EXPECT_EQ(entries[3], "FA.trf could not be loaded: " + missing.faTrfPath);
    // TAL could not be loaded: the set names none, tested as a conversion set's report does.
    EXPECT_EQ(entries[4].rfind("TAL could not be loaded", 0), 0u) << entries[4];
    EXPECT_NE(run.out.find("Projected " + tal1 + " onto " + converted.subject(2).fmr + "\n"), std::string::npos);
    // Nothing written for the refused and reported sets.
    EXPECT_EQ(filesIn(converted.study.root + "/subject2"), before);
    EXPECT_FALSE(fs::exists(projectionStem(runSetOf(mni, converted.subject(0)), "") + ".roi"));

    // The projected set holds what the library's footprint selects at 0.5, and its table the
    // library's figures.
    const ProjectedRun expected = projectRunSet(runSetOf(tal1, converted.subject(2)));
    const RoiFile placed = readRoiFile(expected.outputStem + ".roi");
    ASSERT_EQ(placed.plots.size(), expected.footprint.vois.size());
    for (std::size_t v = 0; v < placed.plots.size(); ++v) {
        const VoiFootprint& voi = expected.footprint.vois[v];
        EXPECT_EQ(placed.plots[v].voxels, selectedCells(voi, 0.5)) << voi.name;
        std::int64_t sum = 0;
        for (const FootprintCell& cell : voi.touched) sum += cell.voiPoints;
        EXPECT_EQ(sum, voi.inRun) << voi.name;
        // Another run's cells do not line up with the VOI: some are filled only in part.
        EXPECT_TRUE(std::any_of(voi.touched.begin(), voi.touched.end(),
                                [](const FootprintCell& cell) { return cell.voiPoints < cell.allPoints; }))
            << voi.name;
    }
}

TEST(ProjectCommand, EmptyVoisAndVoisOutsideTheRunGiveNotAvailableAndALogEntry) {
    const ConvertedStudy converted;
    const studygen::SubjectFiles& files = converted.subject(1);  // ACPC: grid index triples
    VoiFile voi = readVoiFile(test::voiPathOf(files)).file;
    ASSERT_GE(voi.vois.size(), 2u);
    voi.vois[0].voxels.clear();
    voi.vois[0].NrOfVoxels.value = 0;
    voi.vois[1].voxels = {{0, 0, 0}, {255, 255, 255}, {0, 0, 0}};  // a corner twice, the other corner
    voi.vois[1].NrOfVoxels.value = 3;
    voi.fileName = converted.dir.file("hostile.voi");
    voi.save();
    const std::string list = test::writeList(converted.dir.file("runs.txt"), runSetLines(voi.fileName, files));
    const std::string folder = converted.dir.file("out");
    fs::create_directory(folder);
    const test::ProgramRun run = runZandrel(converted.study.root, {"project", list, "--output-dir", folder});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::string stem = projectionStem(runSetOf(voi.fileName, files), folder);
    const std::string name0 = voi.vois[0].NameOfVOI.value, name1 = voi.vois[1].NameOfVOI.value;
    EXPECT_EQ(run.out, "Projected " + voi.fileName + " onto " + files.fmr + "\n" +
                           "VOI 1 (\"" + name0 + "\") of " + voi.fileName + " selects no voxel of " + files.fmr +
                           "\n" + "VOI 2 (\"" + name1 + "\") of " + voi.fileName + " selects no voxel of " +
                           files.fmr + "\n");
    const std::vector<std::string> rows = tableRows(stem + "_coverage.tsv");
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[1], name0 + "\t0\t0\tn/a\t0\t0\tn/a");
    EXPECT_EQ(rows[2], name1 + "\t2\t0\t0\t0\t0\tn/a");
    const RoiFile placed = readRoiFile(stem + ".roi");
    ASSERT_GE(placed.plots.size(), 2u);
    EXPECT_TRUE(placed.plots[0].voxels.empty());
    EXPECT_TRUE(placed.plots[1].voxels.empty());
    // --output-dir: nothing beside the FMR file.
    EXPECT_FALSE(fs::exists(projectionStem(runSetOf(voi.fileName, files), "") + ".roi"));
}

TEST(ProjectCommand, ASetWhoseFileCannotBeWrittenWritesNoneOfItsFilesAndTheBatchGoesOn) {
    const ConvertedStudy converted;
    const std::string voi0 = test::voiPathOf(converted.subject(0));
    const std::string voi2 = test::voiPathOf(converted.subject(2));
    const std::string list = test::writeList(
        converted.dir.file("runs.txt"),
        joined({runSetLines(voi0, converted.subject(0)), runSetLines(voi2, converted.subject(2))}));
    // A folder where the first set's coverage table would go.
    const std::string blocked = projectionStem(runSetOf(voi0, converted.subject(0)), "");
    fs::create_directory(blocked + "_coverage.tsv");
    std::vector<std::string> args{"project", list};
    if (ZANDREL_WITH_NIFTI) args.push_back("--nifti");
    const test::ProgramRun run = runZandrel(converted.study.root, args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "!!!! Could not project " + voi0 + " onto " + converted.subject(0).fmr +
                           ": Cannot Create file: " + blocked + "_coverage.tsv: Is a directory\n" + "Projected " + voi2 + " onto " +
                           converted.subject(2).fmr + "\n");
    for (const char* suffix : {".roi", "_occupancy.nii.gz", "_occupancy.json"})
        EXPECT_FALSE(fs::exists(blocked + suffix)) << suffix;
    // No temporary file is left behind.
    for (const std::string& name : filesIn(fs::path(blocked).parent_path().string()))
        EXPECT_NE(name.front(), '.') << name;
    EXPECT_TRUE(fs::exists(projectionStem(runSetOf(voi2, converted.subject(2)), "") + "_coverage.tsv"));
}

TEST(ProjectCommand, DryRunWritesNothingAndUsageErrorsExitTwo) {
    const ConvertedStudy converted;
    const studygen::SubjectFiles& files = converted.subject(0);
    const std::string voi = test::voiPathOf(files);
    const std::string list = test::writeList(converted.dir.file("runs.txt"), runSetLines(voi, files));
    const std::vector<std::string> before = filesIn(converted.study.root + "/subject1");
    const test::ProgramRun dry = runZandrel(converted.study.root, {"project", list, "--dry-run", "--nifti"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "Would write " + projectionStem(runSetOf(voi, files), "") + ".roi from " + voi + " onto " +
                           files.fmr + "\n");
    EXPECT_EQ(filesIn(converted.study.root + "/subject1"), before);

    for (const char* value : {"1.5", "-0.1", "half", "nan"}) {
        const test::ProgramRun refused = runZandrel(converted.study.root, {"project", list, "--min-occupancy", value});
        EXPECT_EQ(refused.status, 2) << value;
        EXPECT_EQ(refused.out, "") << value;
    }
    EXPECT_EQ(runZandrel(converted.study.root, {"project", converted.dir.file("no_list.txt")}).status, 2);
    EXPECT_EQ(runZandrel(converted.study.root, {"project", list, "--output-dir", converted.dir.file("none")}).status,
              2);
    EXPECT_EQ(filesIn(converted.study.root + "/subject1"), before);
}

TEST(ProjectCommand, AListThatNamesNoVoiFileFails) {
    TempDir dir;
    const std::string list = dir.write("runs.txt", "/data/\nnotes\ns1_run1.fmr\n");
    for (const std::string command : {"project", "extract"}) {
        const test::ProgramRun run = runZandrel(dir.path().string(), {command, list});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.err, "zandrel " + command + ": the list names no VOI file: " + list + "\n") << command;
    }
}

#if ZANDREL_WITH_NIFTI
// nibabel reads the occupancy image: shape, type, every value K/N of the library's footprint,
// and the affine, which must take each checked functional position to its grid point's world.
TEST(ProjectCommand, OccupancyImageReadsBackWithNibabel) {
    const ConvertedStudy converted;
    for (const std::size_t s : {std::size_t{1}, std::size_t{2}}) {
        const studygen::SubjectFiles& files = converted.subject(s);
        const std::string voi = test::voiPathOf(converted.subject(s == 2 ? 0 : 1));  // s = 2: another subject's VOI
        SCOPED_TRACE(voi + " on " + files.fmr);
        const std::string list = test::writeList(converted.dir.file("runs.txt"), runSetLines(voi, files));
        const test::ProgramRun run = runZandrel(converted.study.root, {"project", list, "--nifti"});
        ASSERT_EQ(run.status, 0) << run.out << run.err;

        const ProjectedRun expected = projectRunSet(runSetOf(voi, files));
        const std::string facts = converted.dir.file("facts.txt");
        std::ofstream out(facts);
        out.precision(17);
        const auto& dims = expected.footprint.dims;
        out << dims[0] << " " << dims[1] << " " << dims[2] << " " << expected.footprint.vois.size() << "\n";
        for (std::size_t v = 0; v < expected.footprint.vois.size(); ++v)
            for (const FootprintCell& cell : expected.footprint.vois[v].touched)
                out << "cell " << v << " " << cell.cell.x << " " << cell.cell.y << " " << cell.cell.z << " "
                    << cell.voiPoints << " " << cell.allPoints << "\n";
        // Grid points with their exact functional position (before the nearest-cell rule).
        const Matrix4& m = expected.chain.gridToFunctional();
        for (const int i : {40, 128, 200})
            for (const int j : {60, 128})
                for (const int k : {90, 128, 170}) {
                    const double g[3] = {i - 127.5, j - 127.5, k - 127.5};
                    out << "point " << i << " " << j << " " << k;
                    for (int r = 0; r < 3; ++r) {
                        double f = m.at(r, 3) + (dims[static_cast<std::size_t>(r)] - 1) * 0.5;
                        for (int a = 0; a < 3; ++a) f += m.at(r, a) * g[a];
                        out << " " << f;
                    }
                    out << "\n";
                }
        out.close();
        const test::ProgramRun check = test::runProgram(
            "/usr/bin/python3", {ZANDREL_OCCUPANCY_CHECK_SCRIPT, expected.outputStem + "_occupancy.nii.gz", facts});
        EXPECT_EQ(check.status, 0) << check.out << check.err;
        const std::string sidecar = readFile(expected.outputStem + "_occupancy.json");
        EXPECT_NE(sidecar.find("\"volumes\""), std::string::npos);
        EXPECT_EQ(sidecar.find("not affine") != std::string::npos, !files.tal.empty()) << sidecar;
    }
}
#endif

}  // namespace
}  // namespace zandrel
