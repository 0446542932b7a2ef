// The text that test failures show for voxel triples, matrices and voxel lists, and the
// assertion on thrown messages: a failure must name the difference, down to the last bit
// of a float.

#include <gtest/gtest.h>

#include <cmath>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "expect_throw.h"
#include "geometry/matrix4.h"
#include "geometry/voxel_triple.h"
#include "voxel_lists.h"

namespace zandrel {
namespace {

using test::messageThrownBy;
using test::sameVoxels;
using test::throwsWithMessage;

TEST(ValueText, VoxelTripleAndMatrixElementsInGoogleTestMessages) {
    EXPECT_EQ(::testing::PrintToString(VoxelTriple{-1, 0, 2147483647}), "(-1, 0, 2147483647)");

    Matrix4 a;
    a.at(0, 3) = 3.0f;
    a.at(1, 1) = 0.1f;
    a.at(2, 0) = -0.0f;
    a.at(3, 2) = std::nextafter(1.0f, 2.0f);
    EXPECT_EQ(::testing::PrintToString(a),
              "\n  [0x1p+0 (1), 0x0p+0 (0), 0x0p+0 (0), 0x1.8p+1 (3)]"
              "\n  [0x0p+0 (0), 0x1.99999ap-4 (0.100000001), 0x0p+0 (0), 0x0p+0 (0)]"
              "\n  [-0x0p+0 (-0), 0x0p+0 (0), 0x1p+0 (1), 0x0p+0 (0)]"
              "\n  [0x0p+0 (0), 0x0p+0 (0), 0x1.000002p+0 (1.00000012), 0x1p+0 (1)]");
}

// Floats one step apart print differently, also where six decimal digits agree, and the
// stream's locale and flags do not change the text.
TEST(ValueText, NeighbouringFloatsAndStreamSettings) {
    const float cases[] = {1.0f, 127.5f, 1e-30f, 16777216.0f, -3.4e38f};
    for (const float value : cases) {
        Matrix4 a, b;
        a.m[5] = value;
        b.m[5] = std::nextafter(value, 0.0f);
        EXPECT_NE(::testing::PrintToString(a), ::testing::PrintToString(b)) << value;
    }
    std::ostringstream styled;
    styled.imbue(std::locale(std::locale::classic(), new std::numpunct<char>()));
    styled << std::scientific << std::showpos << Matrix4{} << VoxelTriple{1, 2, 3};
    std::ostringstream plain;
    plain << Matrix4{} << VoxelTriple{1, 2, 3};
    EXPECT_EQ(styled.str(), plain.str());
}

TEST(SameVoxels, NamesLengthsFirstDifferenceAndTheTriplesOnlyOneSideHolds) {
    const std::vector<VoxelTriple> expected = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    EXPECT_TRUE(sameVoxels("a", "b", expected, expected));
    EXPECT_TRUE(sameVoxels("a", "b", {}, {}));

    struct Case {
        const char* name;
        std::vector<VoxelTriple> actual;
        std::vector<std::string> named;  // parts the message must hold
    };
    const Case cases[] = {
        {"one triple changed", {{1, 2, 3}, {4, 5, 7}, {7, 8, 9}},
         {"3 triples, expected 3", "index 1: (4, 5, 7), expected (4, 5, 6)", "only in a: 1: (4, 5, 7)",
          "only in b: 1: (4, 5, 6)"}},
        {"one triple missing at the end", {{1, 2, 3}, {4, 5, 6}},
         {"2 triples, expected 3", "index 2: (end), expected (7, 8, 9)", "only in a: 0", "only in b: 1: (7, 8, 9)"}},
        {"same triples, other order", {{4, 5, 6}, {1, 2, 3}, {7, 8, 9}},
         {"index 0: (4, 5, 6), expected (1, 2, 3)", "only in a: 0", "only in b: 0"}},
        {"a repeated triple", {{1, 2, 3}, {1, 2, 3}, {4, 5, 6}, {7, 8, 9}},
         {"4 triples, expected 3", "only in a: 1: (1, 2, 3)", "only in b: 0"}},
    };
    for (const Case& c : cases) {
        const ::testing::AssertionResult result = sameVoxels("a", "b", c.actual, expected);
        EXPECT_FALSE(result) << c.name;
        for (const std::string& part : c.named)
            EXPECT_NE(std::string(result.message()).find(part), std::string::npos)
                << c.name << ": \"" << part << "\" not in:\n" << result.message();
    }

    std::vector<VoxelTriple> many;
    for (std::int32_t x = 0; x < 20; ++x) many.push_back({x, 0, 0});
    const std::string message = sameVoxels("a", "b", many, {}).message();
    EXPECT_NE(message.find("only in a: 20: (0, 0, 0)"), std::string::npos) << message;
    EXPECT_NE(message.find("(7, 0, 0) ..."), std::string::npos) << "at most eight triples are named:\n" << message;
}

TEST(ThrowsWithMessage, PassesOnlyForTheExactMessageOfTheNamedType) {
    const auto throwsRuntime = [] { throw std::runtime_error("Failed opening for reading: x.roi"); };
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>(throwsRuntime, "Failed opening for reading: x.roi"));
    EXPECT_EQ(messageThrownBy<std::runtime_error>(throwsRuntime), "Failed opening for reading: x.roi");
    EXPECT_EQ(messageThrownBy<std::runtime_error>([] {}), "(no error)");

    struct Case {
        const char* name;
        ::testing::AssertionResult result;
        const char* named;
    };
    const Case cases[] = {
        {"another message", throwsWithMessage<std::runtime_error>(throwsRuntime, "Failed opening for reading: y.roi"),
         "threw \"Failed opening for reading: x.roi\""},
        {"a prefix of the message", throwsWithMessage<std::runtime_error>(throwsRuntime, "Failed opening"),
         "threw \"Failed opening for reading: x.roi\""},
        {"another type", throwsWithMessage<std::runtime_error>([] { throw std::logic_error("bug"); }, "bug"),
         "another exception type: \"bug\""},
        {"not an exception", throwsWithMessage<std::runtime_error>([] { throw 3; }, "3"), "not a std::exception"},
        {"nothing thrown", throwsWithMessage<std::runtime_error>([] {}, "text"), "threw nothing"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.result) << c.name;
        EXPECT_NE(std::string(c.result.message()).find(c.named), std::string::npos) << c.name << ": " << c.result.message();
    }
}

}  // namespace
}  // namespace zandrel
