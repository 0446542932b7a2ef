// `zandrel inspect`, run as a program on files written in a fresh folder; its output is
// parsed back as JSON.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "program_run.h"
#include "temp_dir.h"

namespace {

using zandrel::test::TempDir;
using Json = nlohmann::json;

using Outcome = zandrel::test::ProgramRun;

Outcome inspect(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> words{"inspect"};
    words.insert(words.end(), args.begin(), args.end());
    return zandrel::test::runProgram(ZANDREL_EXECUTABLE, words, dir.path().string());
}

Json inspectJson(const TempDir& dir, const std::vector<std::string>& args) {
    const Outcome run = inspect(dir, args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return Json::parse(run.out);
}

std::string int16Samples(const std::vector<std::int16_t>& samples) {
    std::string bytes;
    for (std::int16_t s : samples) {
        bytes += static_cast<char>(static_cast<std::uint16_t>(s) & 0xFF);
        bytes += static_cast<char>(static_cast<std::uint16_t>(s) >> 8);
    }
    return bytes;
}

std::string float32Samples(const std::vector<float>& samples) {
    std::string bytes;
    for (float s : samples) {
        std::uint32_t bits;
        std::memcpy(&bits, &s, sizeof bits);
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return bytes;
}

const char* const kFmr =
    "FileVersion:    7\r\nNrOfVolumes: 2\r\nNrOfSlices: 1\r\nPrefix: \"run 1\"\r\nResolutionX: 2\r\n"
    "ResolutionY: 2\r\nInplaneResolutionX: 0.1\r\nInplaneResolutionY: 3.3333333\r\nSliceThickness: 4\r\n"
    "ShowAMRFile: 1\r\nPositionInformationFromImageHeaders\r\nSliceThickness: 2.5\r\nGapThickness: 0\r\n"
    "SliceTimingTableSize: 2\r\n0 1e-7\r\nend\r\n";

TEST(InspectFmr, FieldsTablesAndShortestFloats) {
    TempDir dir;
    const std::string path = dir.write("run.fmr", kFmr);
    const Outcome run = inspect(dir, {path});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json j = Json::parse(run.out);
    EXPECT_EQ(j["type"], "fmr");
    EXPECT_EQ(j["path"], path);
    EXPECT_EQ(j["FileVersion"], Json::parse(R"({"key": "FileVersion", "value": 7, "width": 16, "present": true})"));
    EXPECT_EQ(j["Prefix"]["value"], "run 1");
    EXPECT_EQ(j["Prefix"]["quoted"], true);
    EXPECT_EQ(j["ShowAMRFile"]["value"], true);
    EXPECT_EQ(j["TR"]["present"], false);
    EXPECT_EQ(j["SliceThickness"]["value"], 4.0);
    EXPECT_EQ(j["PosInfoSliceThickness"]["value"], 2.5);
    EXPECT_EQ(j["PosInfoSliceThickness"]["key"], "SliceThickness");
    EXPECT_EQ(j.count("PositionInformationFromImageHeaders"), 0u);
    // Shortest text of the float, and it reads back to the same float.
    EXPECT_NE(run.out.find("\"value\": 0.1,"), std::string::npos);
    EXPECT_NE(run.out.find("\"value\": 3.3333333,"), std::string::npos);
    EXPECT_EQ(static_cast<float>(j["InplaneResolutionY"]["value"].get<double>()), 3.3333333f);
    EXPECT_NE(run.out.find("\"sliceTimingTable\": [0, 1e-07]"), std::string::npos) << run.out;
    EXPECT_EQ(j.count("data"), 0u);
}

TEST(InspectFmr, DataSummary) {
    TempDir dir;
    const std::string fmr = dir.write("run.fmr", kFmr);
    dir.write("run 1.stc", int16Samples({-1, 2, 3, 4, 5, 6, 7, 32767}));
    const Json data = inspectJson(dir, {fmr, "--data"})["data"];
    EXPECT_EQ(data["file"], dir.file("run 1.stc"));
    EXPECT_EQ(data["dimX"], 2);
    EXPECT_EQ(data["dimY"], 2);
    EXPECT_EQ(data["dimZ"], 1);
    EXPECT_EQ(data["volumes"], 2);
    EXPECT_EQ(data["samples"], 8);
    EXPECT_EQ(data["min"], -1.0);
    EXPECT_EQ(data["max"], 32767.0);
    EXPECT_EQ(data["mean"], (32767.0 + 26.0) / 8.0);
    EXPECT_EQ(data["nonFiniteSamples"], 0);
}

TEST(InspectFmr, NonFiniteSamplesStillGiveValidJson) {
    TempDir dir;
    const std::string fmr = dir.write("f.fmr", std::string(kFmr) + "DataType: 2\r\n");
    dir.write("run 1.stc", float32Samples({NAN, INFINITY, -INFINITY, NAN, 1.5f, -0.25f, NAN, NAN}));
    const Json data = inspectJson(dir, {fmr, "--data"})["data"];
    EXPECT_EQ(data["sampleType"], "float32");
    EXPECT_EQ(data["nonFiniteSamples"], 6);
    EXPECT_EQ(data["min"], -0.25);
    EXPECT_EQ(data["max"], 1.5);
    EXPECT_EQ(data["mean"], 0.625);

    dir.write("run 1.stc", float32Samples({NAN, NAN, NAN, NAN, INFINITY, NAN, NAN, NAN}));
    EXPECT_TRUE(inspectJson(dir, {fmr, "--data"})["data"]["mean"].is_null());
}

TEST(InspectRoi, PlotsWithVoxels) {
    TempDir dir;
    const std::string path = dir.write("a.roi",
        "FileVersion: 6\nNrOfTCPlots: 2\nFromSlice: 3\nNrOfVoxels: 2\n1 2 3\n4 5 6\nNrOfVoxels: 0\n");
    const Json j = inspectJson(dir, {path});
    EXPECT_EQ(j["type"], "roi");
    EXPECT_EQ(j["NrOfTCPlots"]["value"], 2);
    ASSERT_EQ(j["plots"].size(), 2u);
    EXPECT_EQ(j["plots"][0]["FromSlice"]["value"], 3);
    EXPECT_EQ(j["plots"][0]["voxels"], Json::parse("[[1, 2, 3], [4, 5, 6]]"));
    EXPECT_EQ(j["plots"][1]["FromSlice"]["present"], false);
    EXPECT_EQ(j["plots"][1]["voxels"], Json::array());
}

TEST(InspectTrf, MatricesRowMajor) {
    TempDir dir;
    const std::string path = dir.write("IA.trf",
        "FileVersion: 8\nDataFormat: Matrix\n1 0 0 -2.5\n0 1 0 3\n0 0 1 0.1\n0 0 0 1\nExtraVMRTransf: 0\n");
    const Json j = inspectJson(dir, {path});
    EXPECT_EQ(j["DataFormat"]["value"], "Matrix");
    EXPECT_EQ(j["matrix"], Json::parse("[1, 0, 0, -2.5, 0, 1, 0, 3, 0, 0, 1, 0.1, 0, 0, 0, 1]"));
    EXPECT_EQ(j["extraMatrix"], Json::parse("[1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1]"));
    EXPECT_EQ(j["ExtraVMRTransf"]["value"], 0);
}

TEST(InspectTal, LandmarksAndTypeOverride) {
    TempDir dir;
    const std::string path = dir.write("landmarks.txt", "FileVersion: 3\nAC: 128 128 128\nLP: 200 129 127\n");
    const Json j = inspectJson(dir, {"--type", "tal", path});
    EXPECT_EQ(j["type"], "tal");
    EXPECT_EQ(j["landmarks"]["AC"], Json::parse("[128, 128, 128]"));
    EXPECT_EQ(j["landmarks"]["LP"], Json::parse("[200, 129, 127]"));
    EXPECT_EQ(j["landmarks"]["PC"], Json::parse("[0, 0, 0]"));
    EXPECT_EQ(j["landmarks"].size(), 8u);
    EXPECT_EQ(inspectJson(dir, {"--type=tal", path})["type"], "tal");
}

TEST(InspectTypes, ExtensionInAnyCaseAndEightBitTexts) {
    TempDir dir;
    const std::string path = dir.write("UPPER.TRF", "SourceFile: \"caf\xE9 \x01 \\ \"\"\n");
    const Outcome run = inspect(dir, {path});
    ASSERT_EQ(run.status, 0) << run.err;
    const Json j = Json::parse(run.out);
    EXPECT_EQ(j["type"], "trf");
    EXPECT_EQ(j["SourceFile"]["value"], "caf\xC3\xA9 \x01 \\ \"");  // Latin-1 byte E9 as U+00E9
}

// Two VOIs (one empty) and a third announced but missing: the reader warns.
const char* const kVoi =
    "\nFileVersion:                4\n\nReferenceSpace:             TAL\n\nNrOfVOIs:                   3\n\n"
    "NameOfVOI:  left\nColorOfVOI: 255 40 50\n\nNrOfVoxels: 3\n-31 -12 40\n-29 -13 40\n-31 -13 41\n\n"
    "NameOfVOI:  none\nColorOfVOI: 80 255 80\n\nNrOfVoxels: 0\n\n";

TEST(InspectVoi, SummaryWithoutVoxelsAndVoxelsOnRequest) {
    TempDir dir;
    const std::string voi = dir.write("set.VOI", kVoi);
    for (const bool withVoxels : {false, true}) {
        const Json j = withVoxels ? inspectJson(dir, {voi, "--voxels"}) : inspectJson(dir, {voi});
        EXPECT_EQ(j["type"], "voi");
        EXPECT_EQ(j["ReferenceSpace"]["value"], "TAL");
        EXPECT_EQ(j["space"], "Talairach");
        EXPECT_EQ(j["warnings"], Json::array({"VOI list cut short: 2 of 3 VOIs read"}));
        ASSERT_EQ(j["vois"].size(), 2u);
        const Json& left = j["vois"][0];
        EXPECT_EQ(left["NameOfVOI"]["value"], "left");
        EXPECT_EQ(left["color"], Json::array({255, 40, 50}));
        EXPECT_EQ(left["triples"], 3);
        EXPECT_EQ(left["boundingBox"]["min"], Json::array({-31, -13, 40}));
        EXPECT_EQ(left["boundingBox"]["max"], Json::array({-29, -12, 41}));
        EXPECT_EQ(left["figures"]["volumeMm3"], 3);
        EXPECT_EQ(left["figures"]["centroidMm"], Json::array({-91.0 / 3, -38.0 / 3, 121.0 / 3}));
        EXPECT_TRUE(j["vois"][1]["boundingBox"].is_null());
        // An empty VOI has no centroid: null, never 0, 0, 0 (a real place).
        EXPECT_TRUE(j["vois"][1]["figures"]["centroidMm"].is_null()) << j["vois"][1]["figures"];
        EXPECT_EQ(left.contains("voxels"), withVoxels);
        if (withVoxels) {
            EXPECT_EQ(left["voxels"], Json::parse("[[-31, -12, 40], [-29, -13, 40], [-31, -13, 41]]"));
            EXPECT_EQ(j["vois"][1]["voxels"], Json::array());
        }
    }
}

TEST(InspectVoi, SpaceThatCannotBePlacedStillPrintsTheRecord) {
    TempDir dir;
    std::string text = kVoi;
    text.replace(text.find("TAL"), 3, "SURFACE");
    const Json j = inspectJson(dir, {dir.write("odd.voi", text)});
    EXPECT_EQ(j["figuresUnavailable"], "ReferenceSpace cannot be placed: \"SURFACE\"");
    EXPECT_FALSE(j.contains("space"));
    EXPECT_EQ(j["vois"][0]["triples"], 3);
    EXPECT_FALSE(j["vois"][0].contains("figures"));
}

// Files of other producers: the space word in another letter case is placed; an offset grid
// is refused with its reason, never drawn where it does not lie; a quoted name stays whole.
TEST(InspectVoi, OtherProducersSpaceWordsOffsetsAndQuotedNames) {
    TempDir dir;
    std::string text = kVoi;
    text.replace(text.find("TAL"), 3, "Tal");
    text.replace(text.find("NameOfVOI:  left"), 16, "NameOfVOI:  Left Amygdala \"core\"");
    Json j = inspectJson(dir, {dir.write("tal.voi", text)});
    EXPECT_EQ(j["space"], "Talairach");
    EXPECT_EQ(j["vois"][0]["NameOfVOI"]["value"], "Left Amygdala \"core\"");

    text = kVoi;
    text.replace(text.find("TAL"), 3, "acpc\nOriginalVMROffsetY: 12");
    j = inspectJson(dir, {dir.write("offset.voi", text)});
    EXPECT_EQ(j["figuresUnavailable"], "Grid cannot be placed: OriginalVMROffsetY 12 is not 0 (offset grids are not supported)");
    EXPECT_FALSE(j["vois"][0].contains("figures"));
}

// Header fields the file lacks are still named after their record field, not after the
// (empty) key that was never read.
TEST(InspectVoi, FieldsMissingFromTheFileKeepTheirNames) {
    TempDir dir;
    const Json j = inspectJson(dir, {dir.write("bare.voi", "NrOfVOIs: 0\n")});
    for (const char* name : {"FileVersion", "ReferenceSpace", "OriginalVMRResolutionX", "OriginalVMROffsetZ",
                             "OriginalVMRFramingCubeDim", "LeftRightConvention", "SubjectVOINamingConvention"}) {
        ASSERT_TRUE(j.contains(name)) << name;
        EXPECT_EQ(j[name]["present"], false) << name;
    }
    EXPECT_FALSE(j.contains(""));
    EXPECT_EQ(j["FileVersion"]["value"], -1);
}

TEST(InspectErrors, UsageErrorsExitTwo) {
    TempDir dir;
    const std::string roi = dir.write("a.roi", "NrOfTCPlots: 0\n");
    const std::string other = dir.write("a.dat", "x\n");
    const std::string hint = "; try 'zandrel help inspect'\n";
    // The parser's errors must name the word at fault; the command's own are exact.
    struct Case { std::vector<std::string> args; std::string message; bool naming; };
    const Case cases[] = {
        {{}, "FILE", true},
        {{roi, "--verbose"}, "--verbose", true},
        {{roi, "--type", "vmr"}, "vmr", true},
        {{roi, "--type"}, "--type", true},
        {{roi, roi}, roi, true},
        {{other}, "zandrel inspect: cannot tell the type of '" + other + "' from its extension; use --type" + hint, false},
        {{roi, "--data"}, "zandrel inspect: --data applies to fmr files only" + hint, false},
        {{roi, "--voxels"}, "zandrel inspect: --voxels applies to voi files only" + hint, false},
    };
    for (const Case& c : cases) {
        const Outcome run = inspect(dir, c.args);
        EXPECT_EQ(run.status, 2) << c.message;
        if (c.naming) {
            EXPECT_EQ(run.err.rfind("zandrel inspect: ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        } else {
            EXPECT_EQ(run.err, c.message);
        }
        EXPECT_EQ(run.out, "") << c.message;
    }
}

TEST(InspectErrors, ReaderErrorsExitOneWithNothingOnStandardOutput) {
    TempDir dir;
    const std::string missing = dir.file("missing.tal");
    const std::string fmr = dir.write("run.fmr", kFmr);
    struct Case { std::vector<std::string> args; std::string message; };
    const Case cases[] = {
        {{missing}, "zandrel inspect: Failed opening for reading: " + missing + "\n"},
        {{fmr, "--data"}, "zandrel inspect: Failed opening STC for reading: " + dir.file("run 1.stc") + "\n"},
    };
    for (const Case& c : cases) {
        const Outcome run = inspect(dir, c.args);
        EXPECT_EQ(run.status, 1) << c.message;
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, "") << c.message;
    }
    dir.write("run 1.stc", int16Samples({1, 2, 3}));
    const Outcome shortData = inspect(dir, {fmr, "--data"});
    EXPECT_EQ(shortData.status, 1);
    EXPECT_NE(shortData.err.find("holds 6 bytes but the header promises 16 bytes"), std::string::npos) << shortData.err;
}

}  // namespace
