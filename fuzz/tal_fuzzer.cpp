// Fuzz target: the TAL file reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/shortfall.h"
#include "formats/tal_record.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyedFields;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("landmarks.tal", input);

    const TalRecord tal = readTalFile(path);

    FUZZ_CHECK(tal.path == path);
    checkKeyedFields(tal, talKeys(), input);

    // A landmark whose key word is not in the file stays (0, 0, 0); every non-zero
    // coordinate is an integer that stood in the file.
    std::size_t nonZero = 0;
    for (int i = 0; i < landmark::Count; ++i) {
        const Landmark& point = tal.landmarks[static_cast<std::size_t>(i)];
        const int coordinates = (point.x != 0) + (point.y != 0) + (point.z != 0);
        if (input.find(landmarkKeys[i]) == std::string::npos) {
            FUZZ_CHECK(coordinates == 0 && !tal.landmarkRead[static_cast<std::size_t>(i)]);
        }
        nonZero += static_cast<std::size_t>(coordinates);
    }
    FUZZ_CHECK(nonZero <= fuzz::countDigitRuns(input));
    // Only a positive FileVersion asks for the landmarks; then every one not read is named.
    const std::size_t missing = missingLandmarks(tal).size();
    if (tal.FileVersion.value <= 0) FUZZ_CHECK(missing == 0);
    FUZZ_CHECK(talLandmarkRefusal(tal).empty() == (missing == 0));
    return 0;
}
