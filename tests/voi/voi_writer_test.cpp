#include <gtest/gtest.h>

#include <locale>
#include <sstream>
#include <string>

#include "voi/voi_file.h"
#include "voi/voi_text.h"
#include "voi_records.h"

namespace {

// One field as the .voi writer puts it: key column, value, line ends.
template <typename Field>
void writeField(std::ostream& out, const Field& field, int lineEnds, bool crlf = false) {
    struct : zandrel::TextSink {
        std::ostream* out = nullptr;
        void put(const char* data, std::size_t size) override { out->write(data, static_cast<std::streamsize>(size)); }
    } sink;
    sink.out = &out;
    zandrel::VoiTextWriter writer(sink, crlf);
    writer.field(field, lineEnds);
    writer.flush();
}

}  // namespace

namespace zandrel {
namespace {

std::string textOf(const VoiFile& file, bool withCoordinates = true) {
    std::ostringstream out;
    file.write(out, withCoordinates);
    return out.str();
}

Voi makeVoi(const std::string& name, int red, int green, int blue, const std::vector<VoxelTriple>& voxels) {
    Voi voi = test::makeVoi(name, voxels);
    voi.red = red;
    voi.green = green;
    voi.blue = blue;
    return voi;
}

// The header of a new record up to and including the "NrOfVOIs" line and its blank line.
std::string headerText(const std::string& space, int vois) {
    return "\n"
           "FileVersion:                4\n\n"
           "ReferenceSpace:             " + space + "\n\n"
           "OriginalVMRResolutionX:     1\n"
           "OriginalVMRResolutionY:     1\n"
           "OriginalVMRResolutionZ:     1\n"
           "OriginalVMROffsetX:         0\n"
           "OriginalVMROffsetY:         0\n"
           "OriginalVMROffsetZ:         0\n"
           "OriginalVMRFramingCubeDim:  256\n\n"
           "LeftRightConvention:        1\n\n"
           "SubjectVOINamingConvention: <VOI>_<SUBJ>\n\n\n"
           "NrOfVOIs:                   " + std::to_string(vois) + "\n\n";
}

const char* const kTrailer = "\nNrOfVOIVTCs:                0\n";

TEST(VoiWriter, WorkedExampleComesOutLineForLine) {
    VoiFile file;
    file.ReferenceSpace.value = "TAL";
    file.NrOfVOIs.value = 1;
    file.vois.push_back(makeVoi("VOI 1", 255, 40, 50, {{-31, -12, 40}, {-31, -13, 40}}));
    const std::string expected =
        "\n"
        "FileVersion:                4\n"
        "\n"
        "ReferenceSpace:             TAL\n"
        "\n"
        "OriginalVMRResolutionX:     1\n"
        "OriginalVMRResolutionY:     1\n"
        "OriginalVMRResolutionZ:     1\n"
        "OriginalVMROffsetX:         0\n"
        "OriginalVMROffsetY:         0\n"
        "OriginalVMROffsetZ:         0\n"
        "OriginalVMRFramingCubeDim:  256\n"
        "\n"
        "LeftRightConvention:        1\n"
        "\n"
        "SubjectVOINamingConvention: <VOI>_<SUBJ>\n"
        "\n"
        "\n"
        "NrOfVOIs:                   1\n"
        "\n"
        "NameOfVOI:  VOI 1\n"
        "ColorOfVOI: 255 40 50\n"
        "\n"
        "NrOfVoxels: 2\n"
        "-31 -12 40\n"
        "-31 -13 40\n"
        "\n"
        "\n"
        "NrOfVOIVTCs:                0\n";
    EXPECT_EQ(textOf(file), expected);
}

TEST(VoiWriter, NewRecordHoldsTheValuesOfAFreshFile) {
    const VoiFile file;
    EXPECT_TRUE(file.fileName.empty());
    EXPECT_EQ(textOf(file), headerText("ACPC", 0) + kTrailer);
}

TEST(VoiWriter, VoiListLayout) {
    struct Case {
        const char* name;
        std::vector<Voi> vois;
        std::string body;  // between the header and the trailer
    };
    const Case cases[] = {
        {"empty list: two blank lines after NrOfVOIs", {}, ""},
        {"VOI without voxels: its count line, then one blank line",
         {makeVoi("VOI 1", 80, 255, 80, {})},
         "NameOfVOI:  VOI 1\nColorOfVOI: 80 255 80\n\nNrOfVoxels: 0\n\n"},
        {"two VOIs: one blank line between, two after the last",
         {makeVoi("VOI 1", 255, 40, 50, {{1, 2, 3}}), makeVoi("VOI 2", 80, 255, 80, {{128, 0, -127}})},
         "NameOfVOI:  VOI 1\nColorOfVOI: 255 40 50\n\nNrOfVoxels: 1\n1 2 3\n\n"
         "NameOfVOI:  VOI 2\nColorOfVOI: 80 255 80\n\nNrOfVoxels: 1\n128 0 -127\n\n"},
        {"extreme coordinates keep their sign",
         {makeVoi("VOI 9", 0, 0, 0, {{-2147483647 - 1, 2147483647, 0}})},
         "NameOfVOI:  VOI 9\nColorOfVOI: 0 0 0\n\nNrOfVoxels: 1\n-2147483648 2147483647 0\n\n"},
    };
    for (const Case& c : cases) {
        VoiFile file;
        file.vois = c.vois;
        file.NrOfVOIs.value = static_cast<std::int32_t>(c.vois.size());
        EXPECT_EQ(textOf(file), headerText("ACPC", static_cast<int>(c.vois.size())) + c.body + kTrailer) << c.name;
    }
}

TEST(VoiWriter, WithoutCoordinatesOneLineStandsForTheList) {
    VoiFile file;
    file.NrOfVOIs.value = 1;
    file.vois.push_back(makeVoi("VOI 1", 255, 40, 50, {{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(textOf(file, false),
              headerText("ACPC", 1) +
                  "NameOfVOI:  VOI 1\nColorOfVOI: 255 40 50\n\nNrOfVoxels: 2\n  Skipping coordinate list\n\n" + kTrailer);
}

TEST(VoiWriter, FieldWidths) {
    struct Case {
        KeyedText field;
        int lineEnds;
        std::string expected;
    };
    const Case cases[] = {
        {{"SubjectVOINamingConvention", "v", 28, false, true}, 1, "SubjectVOINamingConvention: v\n"},
        {{"OriginalVMRFramingCube", "v", 28, false, true}, 1, "OriginalVMRFramingCube:     v\n"},
        {{"KeyOfTwentySevenCharacters", "v", 27, false, true}, 1, "KeyOfTwentySevenCharacters:v\n"},
        {{"AKeyLongerThanItsColumnWidth", "v", 12, false, true}, 0, "AKeyLongerThanItsColumnWidth:v"},
        {{"Name", "a b", 0, false, true}, 2, "Name:a b\n\n"},
        {{"Name", "a b", -5, true, true}, 1, "Name:\"a b\"\n"},
        {{"Name", "", 40, false, true}, 1, "Name:" + std::string(35, ' ') + "\n"},
        {{"Missing", "v", 28, false, false}, 3, ""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        writeField(out, c.field, c.lineEnds);
        EXPECT_EQ(out.str(), c.expected) << c.field.key << " width " << c.field.width;
    }

    std::ostringstream out;
    writeField(out, KeyedInt{"OriginalVMRFramingCubeDim", 256, 28, true}, 2);
    writeField(out, KeyedInt{"NrOfVoxels", -7, 12, true}, 1, true);
    writeField(out, KeyedInt{"Missing", 1, 28, false}, 1);
    EXPECT_EQ(out.str(), "OriginalVMRFramingCubeDim:  256\n\nNrOfVoxels: -7\r\n");
}

TEST(VoiWriter, FieldsNotPresentAreLeftOut) {
    VoiFile file;
    file.OriginalVMROffsetY.present = false;
    file.LeftRightConvention.present = false;
    file.NrOfVOIVTCs.present = false;
    std::string expected = headerText("ACPC", 0);
    expected.erase(expected.find("OriginalVMROffsetY:         0\n"), 30);
    expected.erase(expected.find("LeftRightConvention:        1\n\n"), 31);
    EXPECT_EQ(textOf(file), expected + "\n");
}

TEST(VoiWriter, CrLfOptionEndsEveryLineWithCrLf) {
    VoiFile file;
    file.crlf = true;
    file.NrOfVOIs.value = 1;
    file.vois.push_back(makeVoi("VOI 1", 255, 40, 50, {{-31, -12, 40}, {-31, -13, 40}}));
    VoiFile plain = file;
    plain.crlf = false;
    std::string expected;
    for (const char ch : textOf(plain)) {
        if (ch == '\n') expected += '\r';
        expected += ch;
    }
    EXPECT_EQ(textOf(file), expected);
    EXPECT_EQ(textOf(file, false).find("Skipping coordinate list\r\n\r\n") != std::string::npos, true);
}

// Digit grouping and a comma decimal point on the stream must not reach the numbers.
struct GroupingPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\1"; }
};

TEST(VoiWriter, StreamLocaleDoesNotChangeNumbers) {
    VoiFile file;
    file.NrOfVOIs.value = 1234;
    file.vois.push_back(makeVoi("VOI 1", 255, 40, 50, {{-1234, 5678, 90}}));
    std::ostringstream plain;
    file.write(plain, true);
    std::ostringstream grouped;
    grouped.imbue(std::locale(std::locale::classic(), new GroupingPunct));
    file.write(grouped, true);
    EXPECT_EQ(grouped.str(), plain.str());
    EXPECT_NE(plain.str().find("NrOfVOIs:                   1234\n"), std::string::npos);
    EXPECT_NE(plain.str().find("\n-1234 5678 90\n"), std::string::npos);
}

TEST(VoiWriter, LargeVoiIsWrittenCompletely) {
    // Crosses the writer's internal buffer many times; every line must arrive once, in order.
    VoiFile file;
    Voi voi = makeVoi("VOI 1", 255, 40, 50, {});
    for (std::int32_t n = 0; n < 100000; ++n) voi.voxels.push_back({n % 256 - 127, -(n / 256), n});
    voi.NrOfVoxels.value = static_cast<std::int32_t>(voi.voxels.size());
    file.vois.push_back(voi);
    file.vtcNames.push_back(std::string(100000, 'x'));  // longer than the buffer
    const std::string text = textOf(file);
    std::istringstream lines(text.substr(text.find("NrOfVoxels: 100000\n") + 19));
    std::int32_t x = 0, y = 0, z = 0;
    for (std::int32_t n = 0; n < 100000; ++n) {
        ASSERT_TRUE(lines >> x >> y >> z) << "line " << n;
        ASSERT_EQ(x, n % 256 - 127);
        ASSERT_EQ(y, -(n / 256));
        ASSERT_EQ(z, n);
    }
    EXPECT_EQ(text.substr(text.size() - 100000 - 31), std::string(kTrailer) + std::string(100000, 'x'));
}

}  // namespace
}  // namespace zandrel
