// How a batch list forms its sets: prefix, trimming, classification, end of file.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "batch/list_reader.h"

namespace zandrel {
namespace {

std::vector<FileSet> readSets(const std::string& text) {
    std::istringstream in(text, std::ios::in | std::ios::binary);
    ListReader reader(in);
    std::vector<FileSet> sets;
    FileSet set;
    while (reader.next(set)) sets.push_back(set);
    return sets;
}

std::string describe(const std::vector<FileSet>& sets) {
    std::ostringstream out;
    for (const FileSet& s : sets) {
        out << "{roi='" << s.roiPath << "' fmr='" << s.fmrPath << "' ia='" << s.iaTrfPath
            << "' fa='" << s.faTrfPath << "' acpc='" << s.acpcTrfPath << "' tal='" << s.talPath
            << "'}\n";
    }
    return out.str();
}

FileSet roiOnly(const std::string& roi) {
    FileSet set;
    set.roiPath = roi;
    return set;
}

FileSet fullSet(const std::string& p, const std::string& stem, bool withTal) {
    FileSet set;
    set.roiPath = p + stem + ".roi";
    set.fmrPath = p + stem + "_run1.fmr";
    set.iaTrfPath = p + stem + "_IA.trf";
    set.faTrfPath = p + stem + "_FA.trf";
    set.acpcTrfPath = p + stem + "_ACPC.trf";
    if (withTal) set.talPath = p + stem + ".tal";
    return set;
}

std::string setLines(const std::string& stem, bool withTal) {
    std::string text = stem + ".roi\n" + stem + "_run1.fmr\n" + stem + "_IA.trf\n" + stem +
                       "_FA.trf\n" + stem + "_ACPC.trf\n";
    if (withTal) text += stem + ".tal\n";
    return text;
}

struct ListCase {
    const char* name;
    std::string text;
    std::vector<FileSet> expected;
};

TEST(ListReader, FormsTheSetsOfEveryListShape) {
    const std::string d = "/data/";
    const std::vector<ListCase> cases = {
        {"two subjects, second without TAL",
         d + "\n" + setLines("s1", true) + setLines("s2", false),
         {fullSet(d, "s1", true), fullSet(d, "s2", false)}},
        {"empty list", "", {}},
        {"only line 1 with line break", d + "\n", {}},
        {"only line 1 without line break", d, {}},
        {"no ROI line", d + "\ns1_run1.fmr\ns1_IA.trf\n", {}},
        {"lines before the first ROI line are ignored",
         d + "\ns0.fmr\ns0.tal\n" + setLines("s1", true), {fullSet(d, "s1", true)}},
        {"last ROI line without line break, met while collecting",
         d + "\n" + setLines("s1", true) + "s2.roi", {fullSet(d, "s1", true)}},
        {"last ROI line with line break, met while collecting",
         d + "\n" + setLines("s1", true) + "s2.roi\n", {fullSet(d, "s1", true), roiOnly(d + "s2.roi")}},
        {"last ROI line without line break, met while searching",
         d + "\nnotes.txt\ns1.roi", {roiOnly(d + "s1.roi")}},
        {"ROI line right after line 1 without line break", d + "\ns1.roi", {roiOnly(d + "s1.roi")}},
        {"line 1 ending in roi is prefix and first ROI line",
         "a.roi\nb.fmr\n", {[] { FileSet s = roiOnly("a.roia.roi"); s.fmrPath = "a.roib.fmr"; return s; }()}},
        {"line 1 ending in roi without line break starts nothing", "a.roi", {}},
        {"prefix without separator is joined directly",
         "D:\\study\ns1.roi\ns1.fmr\n", {[] { FileSet s = roiOnly("D:\\studys1.roi"); s.fmrPath = "D:\\studys1.fmr"; return s; }()}},
        {"empty prefix leaves names as they are", "\ns1.roi\n", {roiOnly("s1.roi")}},
        {"prefix is not trimmed", "  /x/ \t\ns1.roi\n", {roiOnly("  /x/ \ts1.roi")}},
        {"blanks and tabs around a line are trimmed",
         d + "\n  s1.roi\t\n\t s1.fmr \v\f\n", {[&] { FileSet s = roiOnly(d + "s1.roi"); s.fmrPath = d + "s1.fmr"; return s; }()}},
        {"myroi starts a set", d + "\nmyroi\n", {roiOnly(d + "myroi")}},
        {"S1.ROI does not start a set", d + "\nS1.ROI\ns1.FMR\n", {}},
        {"upper-case kinds are not matched",
         d + "\ns1.roi\ns1.FMR\ns1_ia.trf\ns1.TAL\n", {roiOnly(d + "s1.roi")}},
        {"first line of a kind wins",
         d + "\ns1.roi\nfirst.fmr\nsecond.fmr\na_IA.trf\nb_IA.trf\nx.tal\ny.tal\n",
         {[&] { FileSet s = roiOnly(d + "s1.roi"); s.fmrPath = d + "first.fmr"; s.iaTrfPath = d + "a_IA.trf"; s.talPath = d + "x.tal"; return s; }()}},
        {"any order within a set, unknown lines ignored",
         d + "\ns1.roi\ns1.tal\nreadme\ns1_ACPC.trf\ns1_FA.trf\ns1_IA.trf\ns1_run1.fmr\n",
         {fullSet(d, "s1", true)}},
        {"a set that ends before any FMR line", d + "\ns1.roi\ns2.roi\ns2.fmr\n",
         {roiOnly(d + "s1.roi"), [&] { FileSet s = roiOnly(d + "s2.roi"); s.fmrPath = d + "s2.fmr"; return s; }()}},
        {"CR LF line ends", "/data/\r\n" + std::string("s1.roi\r\ns1.fmr\r\ns2.roi\r\n"),
         {[&] { FileSet s = roiOnly(d + "s1.roi"); s.fmrPath = d + "s1.fmr"; return s; }(), roiOnly(d + "s2.roi")}},
        {"whitespace-only lines are ignored", d + "\n \t \ns1.roi\n  \n\ns1.fmr\n",
         {[&] { FileSet s = roiOnly(d + "s1.roi"); s.fmrPath = d + "s1.fmr"; return s; }()}},
    };
    for (const ListCase& c : cases) {
        EXPECT_EQ(describe(readSets(c.text)), describe(c.expected)) << "list: " << c.name;
    }
}

TEST(ListReader, DropsOnlyTheCarriageReturnBeforeALineFeed) {
    // The prefix is not trimmed, so it shows which carriage returns are part of a line.
    EXPECT_EQ(readSets("p\r\nx.roi\n").at(0).roiPath, "px.roi");
    EXPECT_EQ(readSets("p\r\r\nx.roi\n").at(0).roiPath, "p\rx.roi");
    EXPECT_EQ(readSets("p\rq\nx.roi\n").at(0).roiPath, "p\rqx.roi");
}

TEST(ListReader, StreamsOneSetAtATime) {
    std::istringstream in("/d/\na.roi\na.fmr\nb.roi\nb.fmr\n");
    ListReader reader(in);
    FileSet set;
    ASSERT_TRUE(reader.next(set));
    EXPECT_EQ(set.fmrPath, "/d/a.fmr");
    // The second set has not been read yet: the list is consumed up to its ROI line only.
    EXPECT_EQ(in.tellg(), std::streampos(std::string("/d/\na.roi\na.fmr\nb.roi\n").size()));
    ASSERT_TRUE(reader.next(set));
    EXPECT_EQ(set.roiPath, "/d/b.roi");
    EXPECT_EQ(set.fmrPath, "/d/b.fmr");
    EXPECT_FALSE(reader.next(set));
    EXPECT_FALSE(reader.next(set));
}

TEST(ListReader, RefusesALineLongerThanAnyPathInsteadOfHoldingIt) {
    // A line of the limit is kept whole, also with a CR LF end; one byte more is refused,
    // naming the line, whether or not a line feed ends it.
    const std::string longest(kMaxListLineBytes, 'x');
    const std::vector<FileSet> sets = readSets("/\r\n" + longest.substr(4) + ".roi\r\n" + longest + "\r\n");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].roiPath, "/" + longest.substr(4) + ".roi");

    for (const std::string& ending : {std::string("\n"), std::string("\r\n"), std::string()}) {
        try {
            readSets("/\ns1.roi\n" + longest + "x" + ending + "s1.fmr\n");
            ADD_FAILURE() << "an over-long line was read";
        } catch (const ListLineTooLong& error) {
            EXPECT_EQ(error.lineNumber, 3);
            EXPECT_STREQ(error.what(), "line 3 of the list is longer than 65536 bytes, longer than any path");
        }
    }
}

TEST(ListReader, DropsAUtf8ByteOrderMarkOnlyAtTheStartOfTheList) {
    EXPECT_EQ(describe(readSets("\xEF\xBB\xBF/d/\ns1.roi\n")), describe({roiOnly("/d/s1.roi")}));
    EXPECT_EQ(describe(readSets("\xEF\xBB\xBF\r\ns1.roi\r\n")), describe({roiOnly("s1.roi")}));
    // Anywhere else it is part of a name, as written.
    EXPECT_EQ(describe(readSets("/d/\n\xEF\xBB\xBFs1.roi\n")), describe({roiOnly("/d/\xEF\xBB\xBFs1.roi")}));
}

std::vector<FileSet> readSetsWith(const std::string& text, const ListReading& reading) {
    std::istringstream in(text, std::ios::in | std::ios::binary);
    ListReader reader(in, reading);
    std::vector<FileSet> sets;
    FileSet set;
    while (reader.next(set)) sets.push_back(set);
    return sets;
}

TEST(ListReader, TakesAGivenPrefixAndBackslashSeparatorsWhenAsked) {
    const std::string windowsList = "\xEF\xBB\xBF" "D:\\Study\\\r\nsubject1\\s1.roi\r\nsubject1\\s1_run1.fmr\r\n";
    ListReading reading;
    reading.backslashIsSeparator = true;
    FileSet expected = roiOnly("D:/Study/subject1/s1.roi");
    expected.fmrPath = "D:/Study/subject1/s1_run1.fmr";
    EXPECT_EQ(describe(readSetsWith(windowsList, reading)), describe({expected}));

    reading.prefix = "/data/";
    expected = roiOnly("/data/subject1/s1.roi");
    expected.fmrPath = "/data/subject1/s1_run1.fmr";
    EXPECT_EQ(describe(readSetsWith(windowsList, reading)), describe({expected}));

    // The given prefix stands for line 1 entirely: line 1 is no longer a ROI line either.
    EXPECT_EQ(describe(readSetsWith("a.roi\nb.fmr\n", reading)), describe({}));
    // Without being asked, a backslash stays part of the name.
    EXPECT_EQ(readSets("D:\\S\\\na\\s1.roi\n").at(0).roiPath, "D:\\S\\a\\s1.roi");
}

TEST(ListLines, KindsInAnotherLetterCaseAndWindowsPathsAreRecognised) {
    const struct {
        const char* line;
        const char* kind;  // nullptr: none
    } cases[] = {
        {"S1.ROI", "roi"},     {"s1_ia.trf", "IA.trf"}, {"s1_Fa.TRF", "FA.trf"}, {"s1_acpc.trf", "ACPC.trf"},
        {"s1.FMR", "fmr"},     {"s1.TAL", "tal"},       {"s1.roi", nullptr},     {"s1_IA.trf", nullptr},
        {"notes.txt", nullptr}, {"", nullptr},          {"myROI", "roi"},
    };
    for (const auto& c : cases) {
        const char* kind = kindInOtherLetterCase(c.line);
        EXPECT_EQ(kind == nullptr ? std::string("none") : kind, c.kind == nullptr ? std::string("none") : c.kind)
            << "line '" << c.line << "'";
    }
    EXPECT_TRUE(looksLikeWindowsPath("D:/Study/s1.roi"));
    EXPECT_TRUE(looksLikeWindowsPath("c:s1.roi"));
    EXPECT_TRUE(looksLikeWindowsPath("subject1\\s1.roi"));
    EXPECT_FALSE(looksLikeWindowsPath("/data/Study/s1.roi"));
    EXPECT_FALSE(looksLikeWindowsPath("./s1:2.roi"));
}

TEST(TrimWhitespace, RemovesTheSixWhitespaceCharactersAtBothEnds) {
    const struct {
        std::string input;
        std::string expected;
    } cases[] = {
        {"  s1.roi\t", "s1.roi"},
        {"\r\n\v\f s1 roi \f\v\n\r", "s1 roi"},
        {"a b", "a b"},
        {"", ""},
        {" \t ", " \t "},  // only whitespace: unchanged
        {std::string("\0x\0", 3), std::string("\0x\0", 3)},  // NUL is not whitespace
        {"\xA0x\xA0", "\xA0x\xA0"},                          // nor a non-breaking space
    };
    for (const auto& c : cases) EXPECT_EQ(trimWhitespace(c.input), c.expected) << "input '" << c.input << "'";
}

}  // namespace
}  // namespace zandrel
