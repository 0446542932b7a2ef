// What a list file is found to be before a batch: the kinds of file refused as a list, the
// lines that differ from a kind only in letter case, the sets it forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/list_check.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

struct Inspected {
    ListInspection inspection;
    std::vector<OtherCaseLine> otherCase;
};

Inspected inspect(const std::string& path, const ListReading& reading = {}) {
    Inspected result;
    result.inspection = inspectListFile(path, reading, [&](const OtherCaseLine& line) { result.otherCase.push_back(line); });
    return result;
}

std::string utf16le(const std::string& ascii) {
    std::string text;
    for (char c : ascii) text += std::string{c, '\0'};
    return text;
}

TEST(ListCheck, RefusesEveryFileThatIsNoEightBitList) {
    TempDir dir;
    const std::string list = "/d/\ns1.roi\ns1.fmr\n";
    const struct {
        const char* name;
        std::string content;
        ListRefusal refusal;
        std::string text;
    } cases[] = {
        {"empty", "", ListRefusal::empty, "the file is empty"},
        {"UTF-16 LE with mark", "\xFF\xFE" + utf16le(list), ListRefusal::utf16le,
         "this is UTF-16 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-16 LE without mark", utf16le(list), ListRefusal::utf16le,
         "this is UTF-16 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-16 BE without mark", std::string("\0", 1) + utf16le(list).substr(0, 2 * list.size() - 1),
         ListRefusal::utf16be, "this is UTF-16 text (big-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-16 BE with mark", "\xFE\xFF" + std::string("\0/", 2), ListRefusal::utf16be,
         "this is UTF-16 text (big-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-32 LE with mark", std::string("\xFF\xFE\0\0/\0\0\0", 8), ListRefusal::utf32le,
         "this is UTF-32 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-32 BE with mark", std::string("\0\0\xFE\xFF\0\0\0/", 8), ListRefusal::utf32be,
         "this is UTF-32 text (big-endian); save the list as 8-bit text (UTF-8)"},
        {"NUL bytes in line 2", std::string("/d/\ns1\0.roi\n", 12), ListRefusal::binary,
         "line 2 holds NUL bytes: this is no text file"},
        {"NUL byte after the first 4096 bytes", list + std::string(5000, 'x') + "\n" + std::string("\0\n", 2),
         ListRefusal::binary, "line 5 holds NUL bytes: this is no text file"},
        {"line longer than any path", list + std::string(kMaxListLineBytes + 1, 'x') + "\n", ListRefusal::lineTooLong,
         "line 4 is longer than 65536 bytes, longer than any path"},
    };
    for (const auto& c : cases) {
        const Inspected result = inspect(dir.write("list.txt", c.content));
        EXPECT_EQ(result.inspection.refusal, c.refusal) << c.name;
        EXPECT_EQ(refusalText(result.inspection), c.text) << c.name;
    }
}

TEST(ListCheck, NamesTheSystemsReasonForAnUnreadableList) {
    TempDir dir;
    EXPECT_EQ(inspect(dir.file("nope.txt")).inspection.refusal, ListRefusal::unreadable);
    EXPECT_EQ(refusalText(inspect(dir.file("nope.txt")).inspection), "No such file or directory");
    EXPECT_EQ(unreadableReason(dir.path().string()), "Is a directory");
    EXPECT_EQ(unreadableReason(""), "No such file or directory");
}

TEST(ListCheck, CountsSetsAndReportsLinesThatDifferOnlyInLetterCase) {
    TempDir dir;
    const Inspected result =
        inspect(dir.write("list.txt", "\xEF\xBB\xBFS:\\\\data\\\\\r\nS1.ROI\r\ns1.roi\r\ns1_ia.trf\r\ns1.fmr\r\nx.TAL\r\ns2.roi\r\n"));
    EXPECT_EQ(result.inspection.refusal, ListRefusal::none);
    EXPECT_EQ(result.inspection.lineOne, "S:\\\\data\\\\");
    EXPECT_EQ(result.inspection.sets, 2);
    ASSERT_EQ(result.otherCase.size(), 3u);
    EXPECT_EQ(result.otherCase[0].lineNumber, 2);
    EXPECT_EQ(result.otherCase[0].line, "S1.ROI");
    EXPECT_STREQ(result.otherCase[0].kind, "roi");
    EXPECT_EQ(result.otherCase[1].lineNumber, 4);
    EXPECT_STREQ(result.otherCase[1].kind, "IA.trf");
    EXPECT_EQ(result.otherCase[2].lineNumber, 6);
    EXPECT_STREQ(result.otherCase[2].kind, "tal");

    // A list of line 1 only is a list; that it forms no set is for the batch to say.
    EXPECT_EQ(inspect(dir.write("list.txt", "\n")).inspection.refusal, ListRefusal::none);
    EXPECT_EQ(inspect(dir.write("list.txt", "\n")).inspection.sets, 0);
}

}  // namespace
}  // namespace zandrel
