#pragma once

// Comparison of voxel lists that explains a difference: the lengths, the first index at
// which the lists differ, and a few of the triples only one list holds.

#include <gtest/gtest.h>

#include <vector>

#include "geometry/voxel_triple.h"

namespace zandrel::test {

// For EXPECT_PRED_FORMAT2(sameVoxels, actual, expected): equal when both lists hold the
// same triples in the same order.
::testing::AssertionResult sameVoxels(const char* actualText, const char* expectedText,
                                      const std::vector<VoxelTriple>& actual, const std::vector<VoxelTriple>& expected);

}  // namespace zandrel::test
