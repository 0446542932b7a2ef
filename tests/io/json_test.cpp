// The JSON output shared by every command: number text, string literals and the writer's
// layout. Documents are also parsed back with an independent parser.
#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "io/json_string.h"
#include "io/json_writer.h"
#include "io/shortest_float.h"

namespace zandrel::cli {
namespace {

TEST(ShortestFloat, IsTheShortestTextThatReadsBackToTheSameValue) {
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0"},          {-0.0f, "-0"},         {0.1f, "0.1"},
        {1.0f / 3.0f, "0.33333334"},                 {1e-7f, "1e-07"},
        {16777216.0f, "16777216"},                   {FLT_MAX, "3.4028235e+38"},
        {FLT_TRUE_MIN, "1e-45"},                     {-127.5f, "-127.5"},
        {kNaN, "NaN"},        {kInf, "Infinity"},    {-kInf, "-Infinity"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shortestFloat(c.value), c.text) << "value " << std::hexfloat << c.value;
        if (std::isfinite(c.value)) {
            const std::string text = shortestFloat(c.value);
            float back = 0.0f;
            std::from_chars(text.data(), text.data() + text.size(), back);
            EXPECT_EQ(back, c.value) << c.text;
        }
    }
    EXPECT_EQ(shortestFloat(0.1), "0.1");
    EXPECT_EQ(shortestFloat(static_cast<double>(0.1f)), "0.10000000149011612");
    EXPECT_EQ(shortestFloat(-std::numeric_limits<double>::infinity()), "-Infinity");
    EXPECT_EQ(shortestFloat(std::numeric_limits<double>::quiet_NaN()), "NaN");
}

TEST(JsonNumber, QuotesExactlyTheValuesThatJsonCannotHold) {
    EXPECT_EQ(jsonNumber(2.5f), "2.5");
    EXPECT_EQ(jsonNumber(-0.0f), "-0");
    EXPECT_EQ(jsonNumber(std::numeric_limits<float>::quiet_NaN()), "\"NaN\"");
    EXPECT_EQ(jsonNumber(std::numeric_limits<float>::infinity()), "\"Infinity\"");
    EXPECT_EQ(jsonNumber(-std::numeric_limits<double>::infinity()), "\"-Infinity\"");
}

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsEveryByte) {
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"Converted /d/s1.roi", "\"Converted /d/s1.roi\""},
        {"", "\"\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"D:\\study\\s1.roi", "\"D:\\\\study\\\\s1.roi\""},
        {"line\nfeed\r\ttab\b\f", "\"line\\nfeed\\r\\ttab\\b\\f\""},
        {std::string("nul\0x\x1f", 6), "\"nul\\u0000x\\u001f\""},
        {"\x7f", "\"\x7f\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},  // valid UTF-8 kept
        {"caf\xE9", "\"caf\\u00e9\""},                       // a Latin-1 byte
        {"\xC3", "\"\\u00c3\""},                             // sequence cut short
        {"\xC0\xAF", "\"\\u00c0\\u00af\""},                  // overlong form
        {"\xED\xA0\x80", "\"\\u00ed\\u00a0\\u0080\""},       // surrogate
        {"\xF4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""},  // above U+10FFFF
        {"\x80x", "\"\\u0080x\""},                           // stray continuation byte
    };
    for (const auto& c : cases) EXPECT_EQ(jsonString(c.text), c.expected) << "text '" << c.text << "'";
}

TEST(JsonWriter, LaysOutBlocksAndInlineContainersAndReadsBack) {
    std::ostringstream text;
    JsonWriter json(text);
    json.beginObject();
    json.key("path").string("D:\\s\"1\".roi");
    json.key("empty").beginObject();
    json.endObject();
    json.key("rows").beginArray(true);
    for (int r = 0; r < 2; ++r) {
        json.beginArray();  // inline because its parent is
        json.number(0.5f);
        json.number(std::numeric_limits<float>::quiet_NaN());
        json.endArray();
    }
    json.endArray();
    json.key("list").beginArray();
    json.integer(std::numeric_limits<std::int64_t>::min());
    json.boolean(false);
    json.null();
    json.endArray();
    json.endObject();
    const std::string expected =
        "{\n"
        "  \"path\": \"D:\\\\s\\\"1\\\".roi\",\n"
        "  \"empty\": {},\n"
        "  \"rows\": [[0.5, \"NaN\"], [0.5, \"NaN\"]],\n"
        "  \"list\": [\n"
        "    -9223372036854775808,\n"
        "    false,\n"
        "    null\n"
        "  ]\n"
        "}\n";
    EXPECT_EQ(text.str(), expected);
    const nlohmann::json parsed = nlohmann::json::parse(text.str());
    EXPECT_EQ(parsed["path"], "D:\\s\"1\".roi");
    EXPECT_EQ(parsed["rows"][1][1], "NaN");
    EXPECT_EQ(parsed["list"][0], std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace zandrel::cli
