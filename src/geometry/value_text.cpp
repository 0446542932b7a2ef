// Readable text of the geometry value types, for test failures and diagnostics. Independent
// of the stream's locale and formatting flags.

#include <iomanip>
#include <limits>
#include <locale>
#include <ostream>
#include <sstream>

#include "geometry/matrix4.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

namespace {

// "0x1.8p+1 (3)": the hexadecimal form shows every bit, the decimal one (9 significant
// digits, enough to tell any two floats apart) the magnitude at a glance.
std::string floatText(float value) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::hexfloat << value << " (" << std::defaultfloat
         << std::setprecision(std::numeric_limits<float>::max_digits10) << value << ")";
    return text.str();
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const VoxelTriple& v) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return out << text.str();
}

std::ostream& operator<<(std::ostream& out, const Matrix4& a) {
    std::string text;
    for (int row = 0; row < 4; ++row) {
        text += "\n  [";
        for (int column = 0; column < 4; ++column) {
            if (column > 0) text += ", ";
            text += floatText(a.at(row, column));
        }
        text += "]";
    }
    return out << text;
}

}  // namespace zandrel
