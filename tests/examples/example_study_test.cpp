// The committed example study is exactly what the generator writes: regenerating it gives
// the same files, byte for byte (so it is ours and in sync with the generator).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "generated_files.h"
#include "generator/study_generator.h"
#include "temp_dir.h"

namespace zandrel::test {
namespace {

namespace fs = std::filesystem;
namespace gen = zandrel::studygen;

std::set<std::string> filesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) files.insert(entry.path().lexically_relative(root).generic_string());
    return files;
}

TEST(ExampleStudy, RegeneratingItGivesTheCommittedFilesByteForByte) {
    const fs::path committed = ZANDREL_EXAMPLE_STUDY_DIR;
    ASSERT_TRUE(fs::is_directory(committed)) << committed;
    TempDir dir;
    gen::writeStudy(dir.path().string(), gen::exampleStudyPlan());
    const std::set<std::string> written = filesBelow(dir.path());
    EXPECT_EQ(filesBelow(committed), written);
    for (const std::string& name : written) {
        const std::string expected = readFile((committed / name).string());
        // Not EXPECT_EQ on the contents: a difference in the time-course data would print megabytes.
        EXPECT_TRUE(expected == readFile(dir.file(name))) << name << " differs from the committed file";
    }
}

TEST(ExampleStudy, ListIsRelativeToTheConversionFolderAndOnlyTheFirstSubjectHasLandmarks) {
    const auto list = generated::lines(readFile((fs::path(ZANDREL_EXAMPLE_STUDY_DIR) / "study.txt").string()));
    const std::vector<std::string> expected{
        "./",
        "subject1/s1.roi", "subject1/s1_run1.fmr", "subject1/s1_IA.trf", "subject1/s1_FA.trf",
        "subject1/s1_ACPC.trf", "subject1/s1.tal",
        "subject2/s2.roi", "subject2/s2_run1.fmr", "subject2/s2_IA.trf", "subject2/s2_FA.trf",
        "subject2/s2_ACPC.trf"};
    EXPECT_EQ(list, expected);
}

}  // namespace
}  // namespace zandrel::test
