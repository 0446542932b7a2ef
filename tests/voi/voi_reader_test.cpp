#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "study_fixture.h"
#include "temp_dir.h"
#include "voi/voi_reader.h"
#include "expect_throw.h"

namespace zandrel {
namespace {

using test::readFile;
using test::TempDir;
using test::throwsWithMessage;

std::string textOf(const VoiFile& file) {
    std::ostringstream out;
    file.write(out, true);
    return out.str();
}

// A file as another producer might write it; `voiBlock` follows the "NrOfVOIs:" line.
std::string producerText(const std::string& space, const std::string& extraHeader, const std::string& voiBlock,
                         int voiCount) {
    return "\nFileVersion: 2\n\nReferenceSpace: " + space + "\n\n" + extraHeader + "NrOfVOIs: " +
           std::to_string(voiCount) + "\n\n" + voiBlock + "\n\nNrOfVOIVTCs: 0\n";
}

TEST(VoiReader, WhatOurWriterWritesReadsBackToTheSameBytes) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(4, 11));
    for (const studygen::SubjectFiles& subject : study.subjects) {
        const std::string text = test::expectedVoiText(subject, false);
        for (const bool crlf : {false, true}) {
            std::string written = text;
            if (crlf) {
                written.clear();
                for (char c : text) written += c == '\n' ? std::string("\r\n") : std::string(1, c);
            }
            const std::string path = dir.write(crlf ? "crlf.voi" : "lf.voi", written);
            const VoiFileReading reading = readVoiFile(path);
            EXPECT_TRUE(reading.warnings.empty()) << subject.roi;
            EXPECT_EQ(reading.file.crlf, crlf) << subject.roi;
            VoiFile copy = reading.file;
            copy.fileName = dir.file("again.voi");
            copy.save();
            EXPECT_EQ(readFile(copy.fileName), written) << subject.roi << (crlf ? " (CR LF)" : " (LF)");
        }
    }
}

TEST(VoiReader, ExampleStudyConvertedReadsBackToTheSameBytes) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("example"), studygen::exampleStudyPlan());
    for (const studygen::SubjectFiles& subject : study.subjects) {
        const std::string text = test::expectedVoiText(subject, false);
        const VoiFileReading reading = readVoiFile(dir.write("example.voi", text));
        ASSERT_FALSE(reading.file.vois.empty()) << subject.roi;
        EXPECT_EQ(textOf(reading.file), text) << subject.roi;
    }
}

TEST(VoiReader, FilesOfOtherProducers) {
    const std::string twoVois =
        "NameOfVOI:  left amygdala\nColorOfVOI: 1 2 3\n\nNrOfVoxels: 2\n-10 4 -12\n-11 4 -12\n\n"
        "NameOfVOI: \"right  hippocampus\"\nColorOfVOI: 250 251 252\n\nNrOfVoxels: 1\n20 -20 0\n";
    struct Case {
        const char* what;
        std::string text;
        std::string space;
        std::string secondName;
        bool secondQuoted;
        bool crlf;
        std::int32_t resolution;
        std::int32_t cube;
    };
    std::string crlfText = producerText("MNI", "", twoVois, 2);
    std::string converted;
    for (char c : crlfText) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Case cases[] = {
        {"MNI, version 2, no grid entries", producerText("MNI", "", twoVois, 2), "MNI", "right  hippocampus", true,
         false, 0, 0},
        {"CR LF", converted, "MNI", "right  hippocampus", true, true, 0, 0},
        {"native word with a 2 mm grid of 128",
         producerText("NATIVE",
                      "OriginalVMRResolutionX: 2\nOriginalVMRResolutionY: 2\nOriginalVMRResolutionZ: 2\n"
                      "OriginalVMRFramingCubeDim: 128\n\n",
                      twoVois, 2),
         "NATIVE", "right  hippocampus", true, false, 2, 128},
        {"GF with a cube of 384",
         producerText("GF", "OriginalVMRFramingCubeDim:\t384\n", twoVois, 2), "GF", "right  hippocampus", true,
         false, 0, 384},
        {"tabs and odd widths", producerText("TAL", "", "NameOfVOI:\tVOI 1\nColorOfVOI:\t1 2 3\nNrOfVoxels:\t0\n\n"
                                                        "NameOfVOI:    a b\nColorOfVOI: 0 0 0\nNrOfVoxels:\n1\n5 5 5\n", 2),
         "TAL", "a b", false, false, 0, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const VoiFileReading reading = readVoiFile(dir.write("other.voi", c.text));
        const VoiFile& file = reading.file;
        EXPECT_TRUE(reading.warnings.empty()) << c.what;
        EXPECT_EQ(file.ReferenceSpace.value, c.space) << c.what;
        EXPECT_EQ(file.crlf, c.crlf) << c.what;
        EXPECT_EQ(file.FileVersion.value, 2) << c.what;
        EXPECT_EQ(file.OriginalVMRResolutionX.present, c.resolution != 0) << c.what;
        if (c.resolution != 0) {
            EXPECT_EQ(file.OriginalVMRResolutionZ.value, c.resolution) << c.what;
        }
        if (c.cube != 0) {
            EXPECT_EQ(file.OriginalVMRFramingCubeDim.value, c.cube) << c.what;
        }
        ASSERT_EQ(file.vois.size(), 2u) << c.what;
        EXPECT_EQ(file.NrOfVOIs.value, 2) << c.what;
        EXPECT_EQ(file.vois[1].NameOfVOI.value, c.secondName) << c.what;
        EXPECT_EQ(file.vois[1].NameOfVOI.quoted, c.secondQuoted) << c.what;
        EXPECT_EQ(file.vois[1].voxels.size(), 1u) << c.what;
        EXPECT_TRUE(file.NrOfVOIVTCs.present) << c.what;
    }
    const VoiFile mni = readVoiFile(dir.write("mni.voi", cases[0].text)).file;
    EXPECT_EQ(mni.vois[0].NameOfVOI.value, "left amygdala");
    EXPECT_EQ(mni.vois[1].red, 250);
    EXPECT_EQ(mni.vois[1].blue, 252);
    EXPECT_EQ(mni.vois[0].voxels[1], (VoxelTriple{-11, 4, -12}));
}

TEST(VoiReader, NamesAreKeptWholeAndReadBackTheSame) {
    const struct {
        std::string written;  // after "NameOfVOI: "
        std::string name;
        bool quoted;
    } cases[] = {
        {"Left Amygdala \"core\"", "Left Amygdala \"core\"", false},
        {"\"Left Amygdala\"", "Left Amygdala", true},
        {"\"a\" and \"b\"", "a\" and \"b", true},
        {"5\" disc", "5\" disc", false},
        {"\"unclosed", "\"unclosed", false},
        {"\"\"", "", true},
        {"\"", "\"", false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string text =
            producerText("TAL", "", "NameOfVOI: " + c.written + "\nColorOfVOI: 1 2 3\n\nNrOfVoxels: 1\n1 2 3\n", 1);
        const VoiFileReading reading = readVoiFile(dir.write("named.voi", text));
        ASSERT_EQ(reading.file.vois.size(), 1u) << c.written;
        EXPECT_EQ(reading.file.vois[0].NameOfVOI.value, c.name) << c.written;
        EXPECT_EQ(reading.file.vois[0].NameOfVOI.quoted, c.quoted) << c.written;
        VoiFile copy = reading.file;
        copy.fileName = dir.file("again.voi");
        copy.save();
        EXPECT_EQ(readFile(copy.fileName), text) << c.written;
    }
}

TEST(VoiReader, DefectiveFilesKeepWhatWasReadAndSaySo) {
    const std::string first = "NameOfVOI:  A\nColorOfVOI: 1 2 3\n\nNrOfVoxels: 2\n1 2 3\n4 5 6\n\n";
    struct Case {
        const char* what;
        std::string text;
        std::size_t vois;
        std::size_t lastVoxels;
        std::string warning;
    };
    const Case cases[] = {
        {"VOI list cut short", producerText("TAL", "", first, 4), 1, 2, "VOI list cut short: 1 of 4 VOIs read"},
        {"voxel list cut short in a triple",
         "\nReferenceSpace: TAL\nNrOfVOIs: 2\n" + first + "NameOfVOI: B\nNrOfVoxels: 3\n7 8 9\n10 11", 2, 1,
         "VOI 2 (\"B\"): voxel list cut short: 1 of 3 voxels read"},
        {"hostile voxel count", "\nNrOfVOIs: 1\nNameOfVOI: C\nNrOfVoxels: 2147483647\n1 1 1\n", 1, 1,
         "VOI 1 (\"C\"): voxel list cut short: 1 of 2147483647 voxels read"},
        {"hostile VOI count", "\nNrOfVOIs: 2147483647\n" + first, 1, 2,
         "VOI list cut short: 1 of 2147483647 VOIs read"},
        {"negative voxel count", "\nNrOfVOIs: 1\nNameOfVOI: D\nNrOfVoxels: -5\n1 1 1\n", 1, 0,
         "VOI 1 (\"D\"): negative voxel count -5"},
        {"negative VOI count", "\nNrOfVOIs: -3\n" + first, 0, 0, "negative VOI count -3: no VOIs read"},
        {"no VOI count", "\nReferenceSpace: TAL\n" + first, 0, 0, "no \"NrOfVOIs:\" entry: no VOIs read"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const VoiFileReading reading = readVoiFile(dir.write("bad.voi", c.text));
        ASSERT_EQ(reading.file.vois.size(), c.vois) << c.what;
        EXPECT_EQ(reading.file.NrOfVOIs.value, static_cast<std::int32_t>(c.vois)) << c.what;
        if (c.vois > 0) {
            const Voi& last = reading.file.vois.back();
            EXPECT_EQ(last.voxels.size(), c.lastVoxels) << c.what;
            EXPECT_EQ(last.NrOfVoxels.value, static_cast<std::int32_t>(c.lastVoxels)) << c.what;
        }
        ASSERT_FALSE(reading.warnings.empty()) << c.what;
        EXPECT_EQ(reading.warnings.front(), c.warning) << c.what;
    }
}

// Whatever the reader gives, written and read again, gives the same VOIs: a key whose value
// stands on the next line ("NrOfVoxels:" alone) is written back with a blank after the
// colon, not glued to its value.
TEST(VoiReader, ValuesOnTheNextLineSurviveWritingAndReadingAgain) {
    TempDir dir;
    const std::string text = "\nReferenceSpace: TAL\nNrOfVOIs:\n2\nNameOfVOI: A\nNrOfVoxels:\n1\n-31 -12 40\n"
                             "NameOfVOI: B\nNrOfVoxels:\n1\n1 2 3\n\nNrOfVOIVTCs:\n0\n";
    const VoiFileReading first = readVoiFile(dir.write("first.voi", text));
    ASSERT_EQ(first.file.vois.size(), 2u);
    const VoiFileReading again = readVoiFile(dir.write("again.voi", textOf(first.file)));
    EXPECT_TRUE(again.warnings.empty()) << again.warnings.front();
    ASSERT_EQ(again.file.vois.size(), 2u);
    EXPECT_EQ(again.file.ReferenceSpace.value, "TAL");
    EXPECT_EQ(again.file.vois[1].voxels, (std::vector<VoxelTriple>{{1, 2, 3}}));
    EXPECT_EQ(textOf(again.file), textOf(first.file));
}

TEST(VoiReader, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    std::vector<std::string> paths = {dir.path().string(), dir.file("missing.voi")};
#ifndef _WIN32
    const std::string fifo = dir.file("pipe.voi");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    paths.push_back(fifo);  // never opened: opening a pipe would wait for a writer
#endif
    for (const std::string& path : paths) {
        EXPECT_TRUE(throwsWithMessage<std::runtime_error>([&] { readVoiFile(path); },
                                                          "Failed opening for reading: " + path));
    }
}

}  // namespace
}  // namespace zandrel
