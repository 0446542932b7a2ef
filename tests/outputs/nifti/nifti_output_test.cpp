#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "outputs/nifti/voi_outputs.h"
#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"
#include "voi/voi_reader.h"

namespace zandrel {
namespace {

using test::readFile;
using test::TempDir;

VoiFile builtVoiFile(const studygen::SubjectFiles& s) {
    const TalRecord tal = s.tal.empty() ? TalRecord() : readTalFile(s.tal);
    VoiFile file = buildVoiFile(readRoiFile(s.roi), readFmrHeader(s.fmr, true), readTrfFile(s.ia), readTrfFile(s.fa),
                                readTrfFile(s.acpc), tal);
    file.fileName = test::voiPathOf(s);
    return file;
}

Voi makeVoi(const std::string& name, std::vector<VoxelTriple> voxels) {
    Voi voi;
    voi.NameOfVOI = KeyedText{"NameOfVOI", name, 12, false, true};
    voi.red = 255;
    voi.green = 40;
    voi.blue = 50;
    voi.NrOfVoxels = KeyedInt{"NrOfVoxels", static_cast<std::int32_t>(voxels.size()), 12, true};
    voi.voxels = std::move(voxels);
    return voi;
}

VoiFile handMade(const std::string& space, std::vector<Voi> vois) {
    VoiFile file;
    file.ReferenceSpace.value = space;
    file.vois = std::move(vois);
    file.NrOfVOIs.value = static_cast<std::int32_t>(file.vois.size());
    return file;
}

// Two overlapping VOIs, one empty and a duplicate triple.
VoiFile overlapping(const std::string& space) {
    return handMade(space, {makeVoi("first", {{1, 2, 3}, {2, 2, 3}, {1, 2, 3}}),
                            makeVoi("second", {{2, 2, 3}, {3, 2, 3}, {127, 2, 126}}), makeVoi("none", {}),
                            makeVoi("third", {{2, 2, 3}, {100, 100, 100}})});
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs the nibabel check and nifti_tool on the images of one output set.
void expectReadersAgree(const std::string& voiPath, NiftiMode mode, int code,
                        const std::vector<std::string>& images, const std::string& what) {
    std::vector<std::string> args = {ZANDREL_NIFTI_CHECK_SCRIPT, voiPath, mode == NiftiMode::Labels ? "labels" : "masks",
                                     std::to_string(code)};
    args.insert(args.end(), images.begin(), images.end());
    const test::ProgramRun check = test::runProgram("/usr/bin/python3", args);
    EXPECT_EQ(check.status, 0) << what << "\n" << check.out << check.err;
    for (const std::string& image : images) {
        const test::ProgramRun tool = test::runProgram("nifti_tool", {"-check_hdr", "-infiles", image});
        EXPECT_EQ(tool.status, 0) << what << ": " << image;
        EXPECT_NE(tool.out.find("header IS GOOD"), std::string::npos) << what << ": " << image << "\n" << tool.out << tool.err;
    }
}

TEST(NiftiOutputs, RealReadersAgreeOnGeneratedStudiesInEverySpace) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 5));
    for (const studygen::SubjectFiles& subject : study.subjects) {
        VoiFile built = builtVoiFile(subject);
        const bool talairach = !subject.tal.empty();
        struct Variant {
            std::string space;
            int code;
        };
        const std::vector<Variant> variants = talairach ? std::vector<Variant>{{"TAL", 3}, {"MNI", 4}}
                                                        : std::vector<Variant>{{"ACPC", 2}, {"GF", 2}};
        for (const Variant& v : variants) {
            VoiFile file = built;
            file.ReferenceSpace.value = v.space;
            file.fileName = dir.file(v.space + ".voi");
            file.save();
            for (const NiftiMode mode : {NiftiMode::Labels, NiftiMode::Masks}) {
                const std::string stem = dir.file(v.space + (mode == NiftiMode::Labels ? "_labels_" : "_masks_"));
                const NiftiOutputReport report = writeVoiOutputs(file, stem, mode, nullptr);
                const NiftiOutputNames names = niftiOutputNames(stem, mode, file.vois.size());
                ASSERT_EQ(report.written.size(), names.images.size() + 2) << subject.roi << " " << v.space;
                expectReadersAgree(file.fileName, mode, v.code, names.images, subject.roi + " " + v.space);
            }
        }
    }
}

TEST(NiftiOutputs, OverlapsGridFilesAndWideLabelsAgreeWithRealReaders) {
    TempDir dir;
    std::vector<Voi> many;
    for (int k = 0; k < 300; ++k) many.push_back(makeVoi("v" + std::to_string(k), {{k % 200 - 100, k / 2 - 70, 5}}));
    VoiFile grid = handMade("ACPC", {makeVoi("a", {{0, 0, 0}, {63, 10, 5}}), makeVoi("b", {{63, 10, 5}, {1, 2, 3}})});
    grid.OriginalVMRResolutionX.value = 2;
    grid.OriginalVMRResolutionY.value = 3;
    grid.OriginalVMRResolutionZ.value = 4;
    grid.OriginalVMRFramingCubeDim.value = 64;
    struct Case {
        std::string name;
        VoiFile file;
        int code;
    };
    const Case cases[] = {{"overlapping TAL", overlapping("TAL"), 3},
                          {"overlapping native", overlapping("native"), 2},
                          {"300 VOIs", handMade("MNI", many), 4},
                          {"64-point grid of 2 x 3 x 4 mm", grid, 2}};
    for (const Case& c : cases) {
        VoiFile file = c.file;
        file.fileName = dir.file("case.voi");
        file.save();
        for (const NiftiMode mode : {NiftiMode::Labels, NiftiMode::Masks}) {
            if (mode == NiftiMode::Masks && file.vois.size() > 10) continue;
            const std::string stem = dir.file(mode == NiftiMode::Labels ? "labels" : "masks");
            writeVoiOutputs(file, stem, mode, nullptr);
            expectReadersAgree(file.fileName, mode, c.code, niftiOutputNames(stem, mode, file.vois.size()).images,
                               c.name);
        }
    }
    // The check itself sees faults: a wrong code, and VOIs that are not the image's.
    const std::string labels = dir.file("labels.nii.gz");
    const test::ProgramRun wrongCode =
        test::runProgram("/usr/bin/python3", {ZANDREL_NIFTI_CHECK_SCRIPT, dir.file("case.voi"), "labels", "3", labels});
    EXPECT_EQ(wrongCode.status, 1) << wrongCode.out;
    EXPECT_NE(wrongCode.out.find("sform code 2, qform code 2, expected 3"), std::string::npos) << wrongCode.out;
    VoiFile other = overlapping("ACPC");
    other.fileName = dir.file("other.voi");
    other.save();
    const test::ProgramRun wrongVois =
        test::runProgram("/usr/bin/python3", {ZANDREL_NIFTI_CHECK_SCRIPT, other.fileName, "labels", "2", labels});
    EXPECT_EQ(wrongVois.status, 1) << wrongVois.out;
}

TEST(NiftiOutputs, ExportWritesImagesTableAndSidecarBesideTheFileOrInAFolder) {
    TempDir dir;
    struct Case {
        std::string space;
        std::string outputDir;
        std::string stem;
    };
    std::filesystem::create_directory(dir.file("out"));
    const Case cases[] = {{"TAL", "", dir.file("in")}, {"MNI", dir.file("out"), dir.file("out/in")}};
    for (const Case& c : cases) {
        VoiFile file = overlapping(c.space);
        file.vois[1].NameOfVOI.value = "left\tname";
        file.vois[1].red = 1;
        file.vois[1].green = 171;
        file.vois[1].blue = 255;
        file.fileName = dir.file("in.voi");
        file.save();
        const NiftiOutputReport report = exportVoiFile(file.fileName, NiftiMode::Masks, c.outputDir);
        EXPECT_EQ(report.written,
                  (std::vector<std::string>{c.stem + "VOI1.nii.gz", c.stem + "VOI2.nii.gz", c.stem + "VOI3.nii.gz",
                                            c.stem + "VOI4.nii.gz", c.stem + ".tsv", c.stem + ".json"}))
            << c.space;
        EXPECT_EQ(readFile(c.stem + ".tsv"),
                  "index\tname\tcolor\tvoxels\tvolume_mm3\tcentroid_x\tcentroid_y\tcentroid_z\tshared_voxels\t"
                  "skipped_roi_voxels\n"
                  "1\tfirst\t#ff2832\t2\t2\t1.5\t2\t3\t1\tn/a\n"
                  "2\tleft name\t#01abff\t3\t3\t44\t2\t44\t1\tn/a\n"
                  "3\tnone\t#ff2832\t0\t0\tn/a\tn/a\tn/a\t0\tn/a\n"
                  "4\tthird\t#ff2832\t2\t2\t51\t51\t51.5\t1\tn/a\n")
            << c.space;
        const nlohmann::json sidecar = nlohmann::json::parse(readFile(c.stem + ".json"));
        EXPECT_EQ(sidecar["space"], c.space == "TAL" ? "Talairach" : "MNI");
        EXPECT_EQ(sidecar["reference_space"], c.space);
        EXPECT_EQ(sidecar["xform_code"], c.space == "TAL" ? 3 : 4);
        EXPECT_EQ(sidecar["mode"], "masks");
        EXPECT_EQ(sidecar["voi_file"], file.fileName);
        EXPECT_EQ(sidecar["program"]["name"], "zandrel");
        EXPECT_FALSE(sidecar.contains("input_files"));
        EXPECT_FALSE(sidecar.contains("chain_matrix"));
        EXPECT_FALSE(sidecar.contains("landmarks"));
    }
}

TEST(NiftiOutputs, SidecarOfAConversionNamesItsInputsChainAndLandmarks) {
    TempDir dir;
    NiftiProvenance provenance;
    provenance.files = FileSet{"a.roi", "a.fmr", "a_IA.trf", "a_FA.trf", "a_ACPC.trf", ""};
    std::array<float, 16> chain{};
    for (std::size_t n = 0; n < 16; ++n) chain[n] = static_cast<float>(n) / 3.0f;
    chain[15] = 1.0f;
    provenance.chainMatrix = chain;
    std::array<Landmark, landmark::Count> landmarks{};
    landmarks[landmark::AC] = Landmark{128, 127, 129};
    landmarks[landmark::LP] = Landmark{-1, 0, 1};
    provenance.landmarks = landmarks;
    provenance.skippedRoiVoxels = {0, 7};
    VoiFile file = handMade("TAL", {makeVoi("a", {{0, 0, 0}}), makeVoi("b", {{1, 1, 1}})});
    file.fileName = dir.file("s1_TAL_.voi");
    const std::string stem = convertStem(file.fileName);
    EXPECT_EQ(stem, dir.file("s1_TAL_"));
    writeVoiOutputs(file, stem, NiftiMode::Labels, &provenance);

    const nlohmann::json sidecar = nlohmann::json::parse(readFile(stem + ".json"));
    EXPECT_EQ(sidecar["images"], nlohmann::json::array({"s1_TAL_.nii.gz"}));
    EXPECT_EQ(sidecar["input_files"], (nlohmann::json{{"roi", "a.roi"},
                                                      {"fmr", "a.fmr"},
                                                      {"ia_trf", "a_IA.trf"},
                                                      {"fa_trf", "a_FA.trf"},
                                                      {"acpc_trf", "a_ACPC.trf"}}));
    EXPECT_EQ(sidecar["chain_matrix"]["maps"], "anatomical grid to functional grid");
    ASSERT_EQ(sidecar["chain_matrix"]["row_major"].size(), 16u);
    for (std::size_t n = 0; n < 16; ++n) {
        // The shortest form reads back to the same float.
        EXPECT_EQ(static_cast<float>(sidecar["chain_matrix"]["row_major"][n].get<double>()), chain[n]) << n;
    }
    EXPECT_NE(readFile(stem + ".json").find("0.33333334"), std::string::npos);
    EXPECT_EQ(sidecar["landmarks"]["AC"], nlohmann::json::array({128, 127, 129}));
    EXPECT_EQ(sidecar["landmarks"]["LP"], nlohmann::json::array({-1, 0, 1}));
    EXPECT_EQ(sidecar["grid_to_world"][1], nlohmann::json::array({-1, 0, 0, 128}));
    const std::string table = readFile(stem + ".tsv");
    EXPECT_NE(table.find("\t0\t0\n2\t"), std::string::npos) << table;
    EXPECT_NE(table.find("\t0\t7\n"), std::string::npos) << table;
}

TEST(NiftiOutputs, ConversionProvenanceNamesLandmarksOnlyWhenTheMappingRan) {
    Matrix4 chain;
    chain.at(0, 3) = -2.5f;
    VoiBuildReport report;
    report.skippedVoxels = {3};
    for (const std::int32_t version : {-1, 0, 3}) {
        TalRecord tal;
        tal.FileVersion.value = version;
        tal.landmarks[landmark::PC] = Landmark{1, 2, 3};
        FileSet files;
        files.roiPath = "r.roi";
        const NiftiProvenance p = conversionProvenance(files, chain, tal, report);
        EXPECT_EQ(p.landmarks.has_value(), version > 0) << version;
        ASSERT_TRUE(p.chainMatrix.has_value());
        EXPECT_EQ((*p.chainMatrix)[3], -2.5f);
        EXPECT_EQ((*p.chainMatrix)[15], 1.0f);
        EXPECT_EQ(p.skippedRoiVoxels, report.skippedVoxels);
    }
}

TEST(NiftiOutputs, RefusalsAndFailuresLeaveEveryExistingFileAsItWas) {
    TempDir dir;
    const std::string stem = dir.file("set");
    dir.write("set.nii.gz", "previous image");
    dir.write("set.tsv", "previous table");
    const std::vector<std::string> before = folderEntries(dir.path());

    struct Case {
        std::string what;
        VoiFile file;
        std::string message;
    };
    const Case cases[] = {
        {"unknown space", overlapping("SCANNER"), "ReferenceSpace cannot be placed: \"SCANNER\""},
        {"voxel off the grid", handMade("TAL", {makeVoi("x", {{0, 0, 200}})}),
         "VOI 1 (\"x\"): voxel 0 0 200 lies outside the grid"},
        {"too many VOIs", handMade("TAL", std::vector<Voi>(70000, makeVoi("e", {}))), ""},
    };
    for (const Case& c : cases) {
        for (const NiftiMode mode : {NiftiMode::Labels, NiftiMode::Masks}) {
            const std::string message =
                !c.message.empty() ? c.message
                : mode == NiftiMode::Labels ? "A label image holds at most 65535 VOIs, the file has 70000"
                                            : "Masks are written for at most 1024 VOIs, the file has 70000";
            try {
                writeVoiOutputs(c.file, stem, mode, nullptr);
                ADD_FAILURE() << c.what << " was written";
            } catch (const std::runtime_error& error) {
                EXPECT_EQ(std::string(error.what()), message) << c.what;
            }
            EXPECT_EQ(folderEntries(dir.path()), before) << c.what;
        }
    }

    // The sidecar's target is a folder: the images and table are made, then refused together.
    std::filesystem::create_directory(stem + ".json");
    try {
        writeVoiOutputs(overlapping("TAL"), stem, NiftiMode::Labels, nullptr);
        ADD_FAILURE() << "written over a folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + stem + ".json");
    }
    EXPECT_EQ(readFile(stem + ".nii.gz"), "previous image");
    EXPECT_EQ(readFile(stem + ".tsv"), "previous table");
    std::vector<std::string> withFolder = before;
    withFolder.push_back("set.json");
    std::sort(withFolder.begin(), withFolder.end());
    EXPECT_EQ(folderEntries(dir.path()), withFolder);

    // A folder that does not exist.
    try {
        writeVoiOutputs(overlapping("TAL"), dir.file("missing/set"), NiftiMode::Labels, nullptr);
        ADD_FAILURE() << "written into a missing folder";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + dir.file("missing/set") + ".nii.gz");
    }
}

}  // namespace
}  // namespace zandrel
