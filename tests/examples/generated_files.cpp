#include "generated_files.h"

#include <sstream>
#include <stdexcept>

namespace zandrel::test::generated {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    if (start < text.size()) result.push_back(text.substr(start));
    return result;
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    for (std::string word; in >> word;) result.push_back(word);
    return result;
}

namespace {

std::size_t indexAfter(const std::vector<std::string>& all, const std::string& key, std::size_t occurrence) {
    for (std::size_t i = 0; i + 1 < all.size(); ++i)
        if (all[i] == key && occurrence-- == 0) return i + 1;
    throw std::runtime_error("no value after " + key);
}

}  // namespace

std::string valueAfter(const std::string& text, const std::string& key, std::size_t occurrence) {
    const auto all = words(text);
    return all[indexAfter(all, key, occurrence)];
}

double numberAfter(const std::string& text, const std::string& key, std::size_t occurrence) {
    return std::stod(valueAfter(text, key, occurrence));
}

Matrix matrixAfter(const std::string& text, const std::string& key, std::size_t skip) {
    const auto all = words(text);
    const std::size_t first = indexAfter(all, key, 0) + skip;
    if (first + 16 > all.size()) throw std::runtime_error("matrix cut short after " + key);
    Matrix m{};
    for (std::size_t i = 0; i < 16; ++i) m[i] = std::stod(all[first + i]);
    return m;
}

std::vector<RoiPlotText> roiPlots(const std::string& text) {
    const auto all = words(text);
    std::vector<RoiPlotText> plots;
    RoiPlotText plot;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) {
        const std::string& w = all[i];
        if (w == "FromSlice:") plot.fromSlice = std::stoi(all[i + 1]);
        if (w == "Left:") plot.left = std::stoi(all[i + 1]);
        if (w == "Right:") plot.right = std::stoi(all[i + 1]);
        if (w == "Top:") plot.top = std::stoi(all[i + 1]);
        if (w == "Bottom:") plot.bottom = std::stoi(all[i + 1]);
        if (w != "NrOfVoxels:") continue;
        const std::size_t count = std::stoul(all[i + 1]);
        if (i + 2 + 3 * count > all.size()) throw std::runtime_error("voxel list cut short");
        for (std::size_t v = 0; v < count; ++v) {
            const std::size_t at = i + 2 + 3 * v;
            plot.voxels.push_back({std::stoi(all[at]), std::stoi(all[at + 1]), std::stoi(all[at + 2])});
        }
        plots.push_back(plot);
        plot = RoiPlotText{};
        i += 1 + 3 * count;
    }
    return plots;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            for (int k = 0; k < 4; ++k) r[4 * row + col] += a[4 * row + k] * b[4 * k + col];
    return r;
}

Matrix rigidInverse(const Matrix& m) {
    Matrix r{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) r[4 * row + col] = m[4 * col + row];
        for (int k = 0; k < 3; ++k) r[4 * row + 3] -= m[4 * k + row] * m[4 * k + 3];
    }
    r[15] = 1.0;
    return r;
}

Matrix diagonal(double x, double y, double z) {
    Matrix r{};
    r[0] = x;
    r[5] = y;
    r[10] = z;
    r[15] = 1.0;
    return r;
}

}  // namespace zandrel::test::generated
