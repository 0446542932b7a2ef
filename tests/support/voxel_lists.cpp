#include "voxel_lists.h"

#include <algorithm>
#include <sstream>
#include <tuple>

namespace zandrel::test {

namespace {

constexpr std::size_t kShown = 8;  // triples named per kind of difference

bool before(const VoxelTriple& a, const VoxelTriple& b) {
    return std::tie(a.z, a.y, a.x) < std::tie(b.z, b.y, b.x);
}

// Up to kShown triples of `from` that `other` lacks (as multisets), and how many there are.
std::string onlyIn(std::vector<VoxelTriple> from, std::vector<VoxelTriple> other) {
    std::sort(from.begin(), from.end(), before);
    std::sort(other.begin(), other.end(), before);
    std::vector<VoxelTriple> only;
    std::set_difference(from.begin(), from.end(), other.begin(), other.end(), std::back_inserter(only), before);
    std::ostringstream text;
    text << only.size();
    for (std::size_t n = 0; n < only.size() && n < kShown; ++n) text << (n == 0 ? ": " : " ") << only[n];
    if (only.size() > kShown) text << " ...";
    return text.str();
}

}  // namespace

::testing::AssertionResult sameVoxels(const char* actualText, const char* expectedText,
                                      const std::vector<VoxelTriple>& actual, const std::vector<VoxelTriple>& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t first = 0;
    while (first < actual.size() && first < expected.size() && actual[first] == expected[first]) ++first;
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << actualText << " differs from " << expectedText << "\n  " << actual.size() << " triples, expected "
            << expected.size() << "\n  first difference at index " << first << ": ";
    if (first < actual.size()) failure << actual[first]; else failure << "(end)";
    failure << ", expected ";
    if (first < expected.size()) failure << expected[first]; else failure << "(end)";
    failure << "\n  only in " << actualText << ": " << onlyIn(actual, expected) << "\n  only in " << expectedText
            << ": " << onlyIn(expected, actual);
    return failure;
}

}  // namespace zandrel::test
