#pragma once

#include <array>
#include <string>
#include <vector>

// Minimal, independent parsing of generated files for the generator's tests: plain string
// handling in double precision, deliberately not the project's readers.
namespace zandrel::test::generated {

using Matrix = std::array<double, 16>;  // row-major

std::vector<std::string> lines(const std::string& text);  // split at '\n', CR kept
std::vector<std::string> words(const std::string& text);
// The word after the first word equal to `key` ("NrOfSlices:"); throws when absent.
std::string valueAfter(const std::string& text, const std::string& key, std::size_t occurrence = 0);
double numberAfter(const std::string& text, const std::string& key, std::size_t occurrence = 0);
// The 16 numbers that follow the word `key` after `skip` more words ("Matrix", or
// "ExtraVMRTransf:" skipping its value).
Matrix matrixAfter(const std::string& text, const std::string& key, std::size_t skip = 0);

struct RoiPlotText {
    int fromSlice = 0, left = 0, right = 0, top = 0, bottom = 0;
    std::vector<std::array<int, 3>> voxels;
};
std::vector<RoiPlotText> roiPlots(const std::string& text);

Matrix multiply(const Matrix& a, const Matrix& b);
Matrix rigidInverse(const Matrix& m);
Matrix diagonal(double x, double y, double z);

}  // namespace zandrel::test::generated
