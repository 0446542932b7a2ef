// A set's outputs list every file they consist of; writing them again removes what the
// previous list held and the new one does not, and nothing else, whatever that list says.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "io/file_error.h"
#include "outputs/nifti/stale_outputs.h"
#include "outputs/nifti/voi_outputs.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

Voi voiOf(const std::string& name, std::vector<VoxelTriple> voxels) {
    Voi voi;
    voi.NameOfVOI = KeyedText{"NameOfVOI", name, 12, false, true};
    voi.NrOfVoxels = KeyedInt{"NrOfVoxels", static_cast<std::int32_t>(voxels.size()), 12, true};
    voi.voxels = std::move(voxels);
    return voi;
}

// Three VOIs in Talairach space, named as a conversion names its .voi: "<stem>.voi".
VoiFile threeVois(const std::string& voiPath) {
    VoiFile file;
    file.ReferenceSpace.value = "TAL";
    file.vois = {voiOf("a", {{1, 2, 3}}), voiOf("b", {{4, 5, 6}}), voiOf("c", {{7, 8, 9}})};
    file.NrOfVOIs.value = 3;
    file.fileName = voiPath;
    return file;
}

std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> listedFiles(const std::string& sidecarPath) {
    return nlohmann::json::parse(readFile(sidecarPath)).at("output_files").get<std::vector<std::string>>();
}

TEST(StaleOutputs, ModeChangesLeaveOnlyTheCurrentImages) {
    TempDir dir;
    const std::string stem = dir.file("s1_TAL_");
    dir.write("s1_TAL_.voi", "the conversion's result");
    dir.write("notes.txt", "the researcher's own file");
    dir.write("s2_TAL_.nii.gz", "another set's image");
    dir.write("s2_TAL_VOI1.nii.gz", "another set's mask");
    const VoiFile file = threeVois(stem + ".voi");
    const std::vector<std::string> others = {"notes.txt", "s1_TAL_.voi", "s2_TAL_.nii.gz", "s2_TAL_VOI1.nii.gz"};
    auto expected = [&](std::vector<std::string> own) {
        own.insert(own.end(), others.begin(), others.end());
        std::sort(own.begin(), own.end());
        return own;
    };

    writeVoiOutputs(file, stem, NiftiMode::Labels, nullptr);
    EXPECT_EQ(entries(dir.path()), expected({"s1_TAL_.json", "s1_TAL_.nii.gz", "s1_TAL_.tsv"}));
    EXPECT_EQ(listedFiles(stem + ".json"),
              (std::vector<std::string>{"s1_TAL_.voi", "s1_TAL_.nii.gz", "s1_TAL_.tsv", "s1_TAL_.json"}));

    writeVoiOutputs(file, stem, NiftiMode::Masks, nullptr);
    EXPECT_EQ(entries(dir.path()), expected({"s1_TAL_.json", "s1_TAL_.tsv", "s1_TAL_VOI1.nii.gz",
                                             "s1_TAL_VOI2.nii.gz", "s1_TAL_VOI3.nii.gz"}));
    EXPECT_EQ(listedFiles(stem + ".json"),
              (std::vector<std::string>{"s1_TAL_.voi", "s1_TAL_VOI1.nii.gz", "s1_TAL_VOI2.nii.gz",
                                        "s1_TAL_VOI3.nii.gz", "s1_TAL_.tsv", "s1_TAL_.json"}));

    writeVoiOutputs(file, stem, NiftiMode::Labels, nullptr);
    EXPECT_EQ(entries(dir.path()), expected({"s1_TAL_.json", "s1_TAL_.nii.gz", "s1_TAL_.tsv"}));
    EXPECT_EQ(readFile(dir.file("s1_TAL_.voi")), "the conversion's result");

    // Fewer VOIs than before: the masks of the VOIs that are gone go too.
    writeVoiOutputs(file, stem, NiftiMode::Masks, nullptr);
    VoiFile fewer = file;
    fewer.vois.pop_back();
    fewer.NrOfVOIs.value = 2;
    writeVoiOutputs(fewer, stem, NiftiMode::Masks, nullptr);
    EXPECT_EQ(entries(dir.path()),
              expected({"s1_TAL_.json", "s1_TAL_.tsv", "s1_TAL_VOI1.nii.gz", "s1_TAL_VOI2.nii.gz"}));
}

TEST(StaleOutputs, AHostileSidecarRemovesNothingButTheSetsOwnImages) {
    TempDir dir;
    fs::create_directory(dir.file("sub"));
    dir.write("x", "outside the set's folder");
    dir.write("sub/x", "a plain name of no set");
    dir.write("sub/s2_TAL_.nii.gz", "another set's image");
    dir.write("sub/s1_TAL_.voi", "the conversion's result");
    dir.write("sub/s1_TAL_VOI01.nii.gz", "not a mask name of ours");
    dir.write("sub/s1_TAL_VOI9.nii.gz", "a stale mask of this set");
    fs::create_directory(dir.file("sub/s1_TAL_VOI7.nii.gz"));
    dir.write("sub/s1_TAL_.json", nlohmann::json{
        {"output_files", {"../x", "x", "s2_TAL_.nii.gz", dir.file("x"), "s1_TAL_.voi", "s1_TAL_VOI7.nii.gz",
                          "s1_TAL_VOI01.nii.gz", "sub/../s1_TAL_VOI9.nii.gz", "s1_TAL_VOI9.nii.gz", ".", ""}},
        {"images", {42, nullptr, "../sub/s2_TAL_.nii.gz"}}}.dump());
    // An export elsewhere names its .voi in another folder: the .voi here is not in the new list.
    writeVoiOutputs(threeVois(dir.file("elsewhere/s1_TAL_.voi")), dir.file("sub/s1_TAL_"), NiftiMode::Labels, nullptr);

    EXPECT_EQ(readFile(dir.file("x")), "outside the set's folder");
    EXPECT_EQ(entries(dir.file("sub")),
              (std::vector<std::string>{"s1_TAL_.json", "s1_TAL_.nii.gz", "s1_TAL_.tsv", "s1_TAL_.voi",
                                        "s1_TAL_VOI01.nii.gz", "s1_TAL_VOI7.nii.gz", "s2_TAL_.nii.gz", "x"}));
    EXPECT_TRUE(fs::is_directory(dir.file("sub/s1_TAL_VOI7.nii.gz")));
}

TEST(StaleOutputs, ASidecarThatIsNoListRemovesNothing) {
    TempDir dir;
    const std::string stem = dir.file("s1_TAL_");
    for (const std::string& text : {std::string("not json"), std::string("[\"s1_TAL_VOI1.nii.gz\"]"),
                                   std::string("{\"output_files\": \"s1_TAL_VOI1.nii.gz\"}"), std::string()}) {
        dir.write("s1_TAL_VOI1.nii.gz", "an image no valid list names");
        dir.write("s1_TAL_.json", text);
        writeVoiOutputs(threeVois(stem + ".voi"), stem, NiftiMode::Labels, nullptr);
        EXPECT_TRUE(fs::exists(dir.file("s1_TAL_VOI1.nii.gz"))) << text;
    }
}

TEST(StaleOutputs, ASetWhoseImagesFailHalfWayKeepsTheEarlierOnes) {
    TempDir dir;
    const std::string stem = dir.file("s1_TAL_");
    const VoiFile file = threeVois(stem + ".voi");
    writeVoiOutputs(file, stem, NiftiMode::Masks, nullptr);
    const std::string sidecar = readFile(stem + ".json");
    const std::string mask = readFile(stem + "VOI1.nii.gz");
    const std::vector<std::string> before = entries(dir.path());

    // The labels' table cannot be replaced: no image of the new mode appears, none of the
    // masks goes, the sidecar still lists them.
    fs::remove(stem + ".tsv");
    fs::create_directories(stem + ".tsv/held");
    EXPECT_THROW(writeVoiOutputs(file, stem, NiftiMode::Labels, nullptr), FileError);
    EXPECT_FALSE(fs::exists(stem + ".nii.gz"));
    EXPECT_EQ(readFile(stem + ".json"), sidecar);
    EXPECT_EQ(readFile(stem + "VOI1.nii.gz"), mask);
    EXPECT_EQ(entries(dir.path()), before);
}

TEST(StaleOutputs, OnlyPlainNamesOfTheSetsOwnOutputsAreRemovable) {
    const struct {
        const char* name;
        bool removable;
    } cases[] = {
        {"s1_TAL_.nii.gz", true},      {"s1_TAL_VOI1.nii.gz", true},  {"s1_TAL_VOI1024.nii.gz", true},
        {"s1_TAL_.tsv", true},         {"s1_TAL_.json", true},        {"s1_TAL_.voi", false},
        {"s1_TAL_VOI0.nii.gz", false}, {"s1_TAL_VOI01.nii.gz", false}, {"s1_TAL_VOI.nii.gz", false},
        {"s1_TAL_VOIx.nii.gz", false}, {"s2_TAL_.nii.gz", false},     {"../s1_TAL_.nii.gz", false},
        {"sub/s1_TAL_.nii.gz", false}, {"sub\\s1_TAL_.nii.gz", false}, {"s1_TAL_..nii.gz", false},
        {"C:s1_TAL_.nii.gz", false},   {"s1_TAL_.nii.gz.bak", false}, {"", false},
        {"s1_TAL_", false},            {"notes.txt", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isRemovableOutputName(c.name, "s1_TAL_"), c.removable) << c.name;
    EXPECT_FALSE(isRemovableOutputName("s1_TAL_.nii.gz", "")) << "no stem, no removal";
}

}  // namespace
}  // namespace zandrel
