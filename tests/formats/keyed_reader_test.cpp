// Keyed values: widths, numbers as formatted extraction reads them, texts and quotes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "formats/keyed_reader.h"

namespace zandrel {
namespace {

// Reads the first word of `text` as a key and its value into a field preset to `preset`;
// `good` tells whether the stream was still good afterwards.
template <class Field, class Value>
Field readOne(const std::string& text, Value preset, bool* good = nullptr) {
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string word;
    EXPECT_TRUE(readWord(in, word)) << text;
    Field field;
    field.value = preset;
    readValue(in, word, field);
    if (good != nullptr) *good = in.good();
    EXPECT_TRUE(field.present) << text;
    return field;
}

TEST(KeyedWidth, CountsKeyWordAndBlanksOnItsLineOnly) {
    struct Case { const char* text; std::int32_t value; std::int32_t width; };
    const Case cases[] = {
        {"FileVersion:    6\n", 6, 16},
        {"FileVersion:\t6\n", 6, 13},
        {"FileVersion:\n6\n", 6, 12},
        {"FileVersion:  \r\n  6\r\n", 6, 14},
        {"FileVersion: \t \t6", 6, 16},
    };
    for (const Case& c : cases) {
        const KeyedInt field = readOne<KeyedInt>(c.text, -1);
        EXPECT_EQ(field.key, "FileVersion") << c.text;
        EXPECT_EQ(field.value, c.value) << c.text;
        EXPECT_EQ(field.width, c.width) << c.text;
    }
}

TEST(KeyedNumber, IntegersAsFormattedExtraction) {
    struct Case { const char* text; std::int32_t value; bool good; };
    const Case cases[] = {
        {"N: -42\n", -42, true},
        {"N: +7\n", 7, true},
        {"N: 128.5\n", 128, true},  // the fraction stays in the stream
        {"N: abc\n", 99, false},    // previous value kept
        {"N: 2147483648\n", 99, false},
        {"N: -2147483649\n", 99, false},
        {"N:", 99, false},          // key at the end of the file
        {"N: 12", 12, false},       // value read, end of file met
    };
    for (const Case& c : cases) {
        bool good = false;
        EXPECT_EQ(readOne<KeyedInt>(c.text, 99, &good).value, c.value) << c.text;
        EXPECT_EQ(good, c.good) << c.text;
    }
}

TEST(KeyedNumber, FloatsAsFormattedExtraction) {
    struct Case { const char* text; float value; bool good; };
    const Case cases[] = {
        {"F: 3.5\n", 3.5f, true},
        {"F: -0.1\n", -0.1f, true},
        {"F: 1.5e3\n", 1500.0f, true},
        {"F: .25\n", 0.25f, true},
        {"F: 0.1000000000000000055511\n", 0.1f, true},
        {"F: 1,5\n", 1.0f, true},  // classic locale: the comma ends the number
        {"F: 3e\n", 7.0f, false},
        {"F: 1e40\n", 7.0f, false},
        {"F: nan\n", 7.0f, false},
        {"F: x1\n", 7.0f, false},
    };
    for (const Case& c : cases) {
        bool good = false;
        EXPECT_EQ(readOne<KeyedFloat>(c.text, 7.0f, &good).value, c.value) << c.text;
        EXPECT_EQ(good, c.good) << c.text;
    }
}

TEST(KeyedNumber, BooleansOnlyZeroOrOne) {
    struct Case { const char* text; bool preset; bool value; bool good; };
    const Case cases[] = {
        {"ShowAMRFile: 1\n", false, true, true},
        {"ShowAMRFile: 0\n", true, false, true},
        {"ShowAMRFile: 2\n", false, false, false},
        {"ShowAMRFile: true\n", false, false, false},
        {"ShowAMRFile: false\n", true, true, false},
    };
    for (const Case& c : cases) {
        bool good = false;
        EXPECT_EQ(readOne<KeyedBool>(c.text, c.preset, &good).value, c.value) << c.text;
        EXPECT_EQ(good, c.good) << c.text;
    }
}

TEST(KeyedText, RestOfLineWithQuotesRemoved) {
    struct Case { const char* text; const char* value; bool quoted; };
    const Case cases[] = {
        {"Prefix:   \"abc def\"\n", "abc def", true},
        {"Prefix:  abc def   \n", "abc def", false},
        {"Prefix: \"run 1\"\r\nNext: 1\r\n", "run 1", true},
        {"Prefix: run 1\r\n", "run 1", false},
        {"Prefix: \"\"\r\n", "", true},
        {"Prefix: \"open\n", "open", true},
        {"Prefix: a \"b\" c \"d\" e\n", "b\" c \"d", true},
        {"Prefix:\nabc\n", "", false},  // texts never continue on the next line
        {"Prefix:", "", false},
        {"Prefix: last", "last", false},
    };
    for (const Case& c : cases) {
        const KeyedText field = readOne<KeyedText>(c.text, std::string("old"));
        EXPECT_EQ(field.value, c.value) << c.text;
        EXPECT_EQ(field.quoted, c.quoted) << c.text;
    }
}

TEST(KeyedWords, WordUnchangedWhenNoneIsLeft) {
    std::istringstream in("  last \r\n\t ");
    std::string word;
    EXPECT_TRUE(readWord(in, word));
    EXPECT_EQ(word, "last");
    EXPECT_FALSE(readWord(in, word));
    EXPECT_EQ(word, "last");
}

}  // namespace
}  // namespace zandrel
