// `zandrel convert --nifti` and `zandrel export` run as programs: which files appear, what
// real readers make of them, what is logged and the exit status.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

test::ProgramRun zandrel(const TempDir& dir, const std::vector<std::string>& args) {
    return test::runProgram(ZANDREL_EXECUTABLE, args, dir.path().string());
}

std::string stemOf(const std::string& voiPath) { return voiPath.substr(0, voiPath.size() - 4); }

std::vector<std::string> sortedEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int codeOf(const studygen::SubjectFiles& s) { return s.tal.empty() ? 2 : 3; }

// nibabel reads the images and finds exactly the .voi's voxels at their world positions.
void expectNibabelAgrees(const TempDir& dir, const std::string& voi, const std::string& mode, int code,
                         const std::vector<std::string>& images) {
    std::vector<std::string> args = {ZANDREL_NIFTI_CHECK_SCRIPT, voi, mode, std::to_string(code)};
    args.insert(args.end(), images.begin(), images.end());
    const test::ProgramRun check = test::runProgram("/usr/bin/python3", args, dir.path().string());
    EXPECT_EQ(check.status, 0) << voi << " (" << mode << ")\n" << check.out << check.err;
}

std::string handMadeVoi(const std::string& space) {
    return "\nFileVersion:                4\n\nReferenceSpace:             " + space +
           "\n\nNrOfVOIs:                   2\n\n"
           "NameOfVOI:  left\nColorOfVOI: 255 40 50\n\nNrOfVoxels: 3\n-31 -12 40\n-31 -13 40\n-30 -13 40\n\n"
           "NameOfVOI:  right\nColorOfVOI: 80 255 80\n\nNrOfVoxels: 1\n31 -12 40\n\n\nNrOfVOIVTCs:                0\n";
}

TEST(ConvertNifti, LabelsAndMasksBesideEveryVoi) {
    for (const std::string mode : {"labels", "masks"}) {
        TempDir dir;
        const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 7));
        const test::ProgramRun run = zandrel(dir, {"convert", study.listPath, "--nifti", mode, "--transcript",
                                                   dir.file("t.jsonl")});
        EXPECT_EQ(run.status, 0) << mode << "\n" << run.err;
        EXPECT_EQ(run.err, "zandrel convert: 2 converted; NIfTI files beside the .voi files\n") << mode;
        for (const studygen::SubjectFiles& s : study.subjects) {
            const std::string voi = test::voiPathOf(s);
            const std::string stem = stemOf(voi);
            ASSERT_TRUE(fs::is_regular_file(voi)) << voi;
            std::vector<std::string> images;
            if (mode == "labels") {
                images.push_back(stem + ".nii.gz");
            } else {
                const std::size_t plots = readRoiFile(s.roi).plots.size();
                for (std::size_t k = 1; k <= plots; ++k) images.push_back(stem + "VOI" + std::to_string(k) + ".nii.gz");
                EXPECT_FALSE(fs::exists(stem + "VOI" + std::to_string(plots + 1) + ".nii.gz")) << stem;
            }
            for (const std::string& image : images) EXPECT_TRUE(fs::is_regular_file(image)) << image;
            expectNibabelAgrees(dir, voi, mode, codeOf(s), images);
            const nlohmann::json sidecar = nlohmann::json::parse(readFile(stem + ".json"));
            EXPECT_EQ(sidecar["mode"], mode) << stem;
            EXPECT_EQ(sidecar["input_files"]["roi"], s.roi) << stem;
            EXPECT_EQ(sidecar["chain_matrix"]["row_major"].size(), 16u) << stem;
            EXPECT_EQ(readFile(stem + ".tsv").substr(0, 10), "index\tname") << stem;
        }
        // The console and transcript hold only the conversion entries.
        EXPECT_EQ(run.out.find("NIfTI"), std::string::npos) << run.out;
    }
}

TEST(ConvertNifti, DryRunWritesNothingAndSaysNothingMore) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 3));
    const test::ProgramRun plain = zandrel(dir, {"convert", study.listPath, "--dry-run"});
    const test::ProgramRun nifti = zandrel(dir, {"convert", study.listPath, "--dry-run", "--nifti"});
    EXPECT_EQ(nifti.status, 0) << nifti.err;
    EXPECT_EQ(nifti.out, plain.out);
    const fs::path folder = fs::path(study.subjects[0].roi).parent_path();
    for (const std::string& name : sortedEntries(folder)) {
        EXPECT_EQ(name.find("_TAL_"), std::string::npos) << name;
        EXPECT_EQ(name.find("_ACPC_"), std::string::npos) << name;
    }
}

TEST(ConvertNifti, WriteFailureIsLoggedAndKeepsTheVoi) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 9));
    const studygen::SubjectFiles& blocked = study.subjects[0];
    const std::string stem = stemOf(test::voiPathOf(blocked));
    fs::create_directory(stem + ".nii.gz");
    const test::ProgramRun run = zandrel(dir, {"convert", study.listPath, "--nifti", "--transcript", dir.file("t.jsonl")});
    EXPECT_EQ(run.status, 1);
    const std::string entry =
        "!!!! Could not write NIfTI files for " + blocked.roi + ": Cannot Create file: " + stem + ".nii.gz: Is a directory";
    EXPECT_EQ(run.out, "Converted " + blocked.roi + "\n" + entry + "\nConverted " + study.subjects[1].roi + "\n");
    EXPECT_NE(readFile(dir.file("t.jsonl")).find("Could not write NIfTI files for"), std::string::npos);
    EXPECT_EQ(readFile(test::voiPathOf(blocked)), test::expectedVoiText(blocked, false));
    EXPECT_TRUE(fs::is_directory(stem + ".nii.gz"));
    EXPECT_FALSE(fs::exists(stem + ".tsv"));
    EXPECT_FALSE(fs::exists(stem + ".json"));
    // The other set is not affected.
    EXPECT_TRUE(fs::is_regular_file(stemOf(test::voiPathOf(study.subjects[1])) + ".nii.gz"));
}

TEST(ExportCommand, TalairachAndMniFilesBesideTheInput) {
    TempDir dir;
    const struct {
        std::string space;
        int code;
    } cases[] = {{"TAL", 3}, {"MNI", 4}};
    for (const auto& c : cases) {
        const std::string voi = dir.write(c.space + " areas.voi", handMadeVoi(c.space));
        const test::ProgramRun run = zandrel(dir, {"export", voi, "--nifti", "masks"});
        EXPECT_EQ(run.status, 0) << c.space << "\n" << run.err;
        const std::string stem = dir.file(c.space + " areas");
        EXPECT_EQ(run.out, "Wrote " + stem + "VOI1.nii.gz\nWrote " + stem + "VOI2.nii.gz\nWrote " + stem +
                               ".tsv\nWrote " + stem + ".json\n");
        expectNibabelAgrees(dir, voi, "masks", c.code, {stem + "VOI1.nii.gz", stem + "VOI2.nii.gz"});
        const nlohmann::json sidecar = nlohmann::json::parse(readFile(stem + ".json"));
        EXPECT_EQ(sidecar["xform_code"], c.code) << c.space;
        EXPECT_FALSE(sidecar.contains("input_files")) << c.space;
    }
}

TEST(ExportCommand, RefusedSpaceWritesNothingAndOthersStillExport) {
    TempDir dir;
    fs::create_directory(dir.file("v"));
    const std::string odd = dir.write("v/odd.voi", handMadeVoi("SURFACE"));
    const std::string good = dir.write("v/good.voi", handMadeVoi("TAL"));
    const test::ProgramRun run = zandrel(dir, {"export", odd, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zandrel export: " + odd + ": ReferenceSpace cannot be placed: \"SURFACE\"; nothing written\n");
    EXPECT_EQ(sortedEntries(dir.file("v")),
              (std::vector<std::string>{"good.json", "good.nii.gz", "good.tsv", "good.voi", "odd.voi"}));
    expectNibabelAgrees(dir, good, "labels", 3, {dir.file("v/good.nii.gz")});
}

TEST(ExportCommand, OutputDirAndUnreadableInput) {
    TempDir dir;
    fs::create_directory(dir.file("in"));
    fs::create_directory(dir.file("out"));
    const std::string voi = dir.write("in/set.voi", handMadeVoi("TAL"));
    const test::ProgramRun run = zandrel(dir, {"export", voi, "--output-dir", dir.file("out")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sortedEntries(dir.file("out")), (std::vector<std::string>{"set.json", "set.nii.gz", "set.tsv"}));
    EXPECT_EQ(sortedEntries(dir.file("in")), (std::vector<std::string>{"set.voi"}));

    const test::ProgramRun missing = zandrel(dir, {"export", dir.file("none.voi")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "zandrel export: " + dir.file("none.voi") + ": Failed opening for reading: " +
                               dir.file("none.voi") + "; nothing written\n");
}

TEST(ExportCommand, EightBitPathGivesValidJson) {
    TempDir dir;
    const std::string voi = dir.write("caf\xE9.voi", handMadeVoi("TAL"));
    const test::ProgramRun run = zandrel(dir, {"export", voi});
    EXPECT_EQ(run.status, 0) << run.err;
    // The Latin-1 byte becomes U+00E9; nlohmann refuses invalid UTF-8.
    const nlohmann::json sidecar = nlohmann::json::parse(readFile(dir.file("caf\xE9.json")));
    const std::string name = sidecar["voi_file"];
    EXPECT_EQ(name, dir.file("caf\xC3\xA9.voi"));
}

TEST(NiftiCommands, UsageErrors) {
    TempDir dir;
    fs::create_directory(dir.file("v"));
    const std::string voi = dir.write("v/set.voi", handMadeVoi("TAL"));
    const std::vector<std::vector<std::string>> cases = {
        {"export"},
        {"export", voi, "--nifti", "mesh"},
        {"export", voi, "--output-dir", dir.file("no such folder")},
        {"export", voi, "--output-dir="},
        {"convert", dir.file("list.txt"), "--nifti", "mesh"},
    };
    for (const std::vector<std::string>& args : cases) {
        const test::ProgramRun run = zandrel(dir, args);
        std::string words;
        for (const std::string& word : args) words += word + " ";
        EXPECT_EQ(run.status, 2) << words << "\n" << run.err;
        EXPECT_NE(run.err, "") << words;
        EXPECT_EQ(run.out, "") << words;
    }
    EXPECT_EQ(sortedEntries(dir.file("v")), (std::vector<std::string>{"set.voi"}));
}

}  // namespace
}  // namespace zandrel
